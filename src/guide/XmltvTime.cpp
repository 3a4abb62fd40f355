#include "guide/XmltvTime.h"

#include <array>

namespace {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The number written by `count` digits from `at`, or -1.
int digits(QByteArrayView text, qsizetype at, int count) {
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isLeapYear(qint64 year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(qint64 year, int month) {
    static constexpr std::array<int, 12> Days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : Days[std::size_t(month - 1)];
}

// Names that mean UTC itself.
constexpr std::array<QByteArrayView, 4> UtcNames{"Z", "UTC", "GMT", "UT"};

// Seconds east of UTC for "+hhmm", "-hh:mm", a zone name or nothing.
std::optional<XmltvTime> offsetOf(QByteArrayView zone) {
    if (zone.isEmpty())
        return XmltvTime{};
    if (zone[0] == '+' || zone[0] == '-') {
        const int hours = digits(zone, 1, 2);
        const qsizetype minutesAt = zone.size() > 3 && zone[3] == ':' ? 4 : 3;
        const int minutes = digits(zone, minutesAt, 2);
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || zone.size() != minutesAt + 2)
            return std::nullopt;
        const GuideTime east = GuideTime(hours) * 3600 + minutes * 60;
        return XmltvTime{zone[0] == '+' ? east : -east, false};
    }
    for (const char c : zone) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return std::nullopt;
    }
    for (const QByteArrayView name : UtcNames) {
        if (zone.compare(name, Qt::CaseInsensitive) == 0)
            return XmltvTime{};
    }
    return XmltvTime{0, true};
}

} // namespace

qint64 daysFromCivil(qint64 year, int month, int day) {
    // March-based years put the leap day last (H. Hinnant, "chrono-Compatible Low-Level Date
    // Algorithms").
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<XmltvTime> parseXmltvTime(QByteArrayView text) {
    text = text.trimmed();
    const int year = digits(text, 0, 4);
    const int month = digits(text, 4, 2);
    const int day = digits(text, 6, 2);
    const int hour = digits(text, 8, 2);
    const int minute = digits(text, 10, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || day > daysInMonth(year, month))
        return std::nullopt;
    qsizetype at = 12;
    int second = 0;
    if (at < text.size() && isDigit(text[at])) {
        second = digits(text, at, 2);
        if (second < 0 || second > 60)
            return std::nullopt;
        at += 2;
    }
    while (at < text.size() && isSpace(text[at]))
        ++at;
    std::optional<XmltvTime> time = offsetOf(text.sliced(at));
    if (time) {
        time->time = (daysFromCivil(year, month, day) * 24 + hour) * 3600 + minute * 60 + second -
                     time->time;
    }
    return time;
}
