#include "status/Clock.h"

#include "form/ControlOps.h"
#include "form/Controls.h"

#include <QLabel>

namespace {

constexpr int ClockInterval = 1000;

// Qt's long time format names the time zone ("t"); the clock shows the time of day alone.
QString withoutTimeZone(const QString &format) {
    QString result;
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'')
            quoted = !quoted;
        if (quoted || ch != u't')
            result += ch;
    }
    return result.trimmed();
}

} // namespace

QString clockText(QTime time, const QLocale &locale) {
    return locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

void clockTick(const Controls &c) {
    writeInterval(c.timeControl, ClockInterval);
    c.lblTime->setText(clockText(QTime::currentTime(), QLocale()));
}
