#include "epg/ProgrammeText.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>

#include <algorithm>

namespace {

constexpr GuideTime Quarter = 15 * 60;
constexpr qsizetype MostOffsets = 4096;

// Local time's offset from UTC at `time`. Time zones change their offsets at quarter hours, and
// the guide's views ask for the same few days' times frame after frame, while asking the system
// costs a look at its time zone file each time.
int localOffset(GuideTime time) {
    static QHash<GuideTime, int> offsets; // by quarter hour
    const GuideTime quarter = time - ((time % Quarter) + Quarter) % Quarter;
    const auto found = offsets.constFind(quarter);
    if (found != offsets.cend())
        return *found;
    if (offsets.size() >= MostOffsets)
        offsets.clear();
    const int offset = QDateTime::fromSecsSinceEpoch(quarter).offsetFromUtc();
    offsets.insert(quarter, offset);
    return offset;
}

} // namespace

QString clockTime(GuideTime time) {
    constexpr GuideTime Day = 24 * 3600;
    const GuideTime local = time + localOffset(time);
    const int minutes = int(((local % Day) + Day) % Day / 60);
    const int hours = minutes / 60;
    const QChar text[]{QChar(u'0' + hours / 10), QChar(u'0' + hours % 10), QChar(u':'),
                       QChar(u'0' + minutes % 60 / 10), QChar(u'0' + minutes % 10)};
    return QString(text, 5);
}

QString timeSpan(GuideTime start, GuideTime stop) {
    return clockTime(start) + QChar(u'–') + clockTime(stop);
}

QString dayText(GuideTime time) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(time).date(),
                              QStringLiteral("ddd d MMM"));
}

qreal runFraction(GuideTime start, GuideTime stop, GuideTime now) {
    if (stop <= start)
        return 0;
    return std::clamp(qreal(now - start) / qreal(stop - start), qreal(0), qreal(1));
}
