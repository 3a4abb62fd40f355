#pragma once

#include <QLocale>
#include <QTime>

struct Controls;

// The time of day in the locale's full time format with seconds, without a time zone.
QString clockText(QTime time, const QLocale &locale);

// The clock's tick: refreshes `lblTime` and keeps the clock timer at one second.
void clockTick(const Controls &c);
