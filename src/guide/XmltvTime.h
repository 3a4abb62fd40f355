#pragma once
// XMLTV's times: "YYYYMMDDhhmmss" or a shorter prefix of it down to the minute, then, after
// optional spaces, an offset ("+0100", "-05:30", "Z") or a zone name; none means UTC. Read by
// hand, since a guide has two of them for each of its millions of programmes.

#include "guide/Guide.h"

#include <QByteArrayView>

#include <optional>

struct XmltvTime {
    GuideTime time = 0;
    bool unknownZone = false; // a zone name other than UTC's, read as UTC
};

std::optional<XmltvTime> parseXmltvTime(QByteArrayView text);

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 year, int month, int day);
