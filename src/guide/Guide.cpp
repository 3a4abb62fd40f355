#include "guide/Guide.h"

#include <algorithm>
#include <cstring>

namespace {

// Binary search over a channel's programmes, which are in order of start.
const GuideRecord *firstStartingAfter(const GuideRecord *first, const GuideRecord *end,
                                      GuideTime time) {
    return std::upper_bound(
        first, end, time, [](GuideTime t, const GuideRecord &record) { return t < record.start; });
}

} // namespace

qsizetype Guide::channelCount() const {
    return qsizetype(channels_.size());
}

QString Guide::channelId(qsizetype channel) const {
    return text(channels_[std::size_t(channel)].id);
}

QStringList Guide::displayNames(qsizetype channel) const {
    QStringList names;
    for (const qint32 name : channels_[std::size_t(channel)].displayNames)
        names << text(name);
    return names;
}

QString Guide::channelIcon(qsizetype channel) const {
    return text(channels_[std::size_t(channel)].icon);
}

qsizetype Guide::channelById(QStringView id) const {
    return channelIndex_.value(channelKey(id.toUtf8()), -1);
}

qsizetype Guide::programmeCount() const {
    return qsizetype(programmes_.size());
}

std::pair<qint32, qint32> Guide::programmesOf(qsizetype channel) const {
    const GuideChannel &c = channels_[std::size_t(channel)];
    return {c.first, c.end};
}

GuideTime Guide::start(qint32 programme) const {
    return programmes_[std::size_t(programme)].start;
}

GuideTime Guide::stop(qint32 programme) const {
    return programmes_[std::size_t(programme)].stop;
}

QString Guide::title(qint32 programme) const {
    return text(programmes_[std::size_t(programme)].title);
}

GuideProgramme Guide::programme(qint32 programme) const {
    const GuideRecord &record = programmes_[std::size_t(programme)];
    GuideProgramme shown;
    shown.start = record.start;
    shown.stop = record.stop;
    shown.title = text(record.title);
    shown.subTitle = text(record.subTitle);
    shown.description = text(record.description);
    shown.episode = text(record.episode);
    shown.icon = text(record.icon);
    const QByteArrayView categories = lists_.at(record.categories);
    for (qsizetype at = 0; at + qsizetype(sizeof(qint32)) <= categories.size();
         at += qsizetype(sizeof(qint32))) {
        qint32 category = 0;
        std::memcpy(&category, categories.data() + at, sizeof category);
        shown.categories << text(category);
    }
    return shown;
}

qint32 Guide::at(qsizetype channel, GuideTime time) const {
    const GuideChannel &c = channels_[std::size_t(channel)];
    const GuideRecord *first = programmes_.data() + c.first;
    const GuideRecord *next = firstStartingAfter(first, programmes_.data() + c.end, time);
    if (next == first || (next - 1)->stop <= time)
        return -1;
    return qint32(next - 1 - programmes_.data());
}

qint32 Guide::after(qsizetype channel, GuideTime time) const {
    const GuideChannel &c = channels_[std::size_t(channel)];
    const GuideRecord *end = programmes_.data() + c.end;
    const GuideRecord *next = firstStartingAfter(programmes_.data() + c.first, end, time);
    return next == end ? -1 : qint32(next - programmes_.data());
}

GuideTime Guide::firstStart() const {
    return firstStart_;
}

GuideTime Guide::lastStop() const {
    return lastStop_;
}

std::size_t Guide::memoryBytes() const {
    std::size_t bytes = sizeof(Guide) + programmes_.capacity() * sizeof(GuideRecord) +
                        channels_.capacity() * sizeof(GuideChannel) + texts_.memoryBytes() +
                        lists_.memoryBytes();
    for (const GuideChannel &channel : channels_)
        bytes += channel.displayNames.capacity() * sizeof(qint32);
    // A hash node holds its key's bytes apart, besides the key and value.
    for (auto it = channelIndex_.cbegin(); it != channelIndex_.cend(); ++it)
        bytes +=
            sizeof(QByteArray) + sizeof(qint32) + sizeof(void *) + std::size_t(it.key().capacity());
    return bytes;
}

QString Guide::text(qint32 index) const {
    return QString::fromUtf8(texts_.at(index));
}
