#pragma once
// How the guide's views write a programme's times: the viewer's local time on a 24-hour clock.

#include "guide/Guide.h"

#include <QString>

QString clockTime(GuideTime time);                 // "20:05"
QString timeSpan(GuideTime start, GuideTime stop); // "20:05–21:00"
QString dayText(GuideTime time);                   // "Mon 12 Aug", in the user's language
// How far `now` is into [start, stop), from 0 to 1.
qreal runFraction(GuideTime start, GuideTime stop, GuideTime now);
