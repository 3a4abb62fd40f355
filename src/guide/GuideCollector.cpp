#include "guide/GuideCollector.h"

#include "guide/XmltvTime.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 NoStop = std::numeric_limits<qint64>::min();

bool startsEarlier(const GuideRecord &a, const GuideRecord &b) {
    return a.start < b.start;
}

} // namespace

GuideCollector::GuideCollector() {
    reset();
}

void GuideCollector::reset() {
    texts_.reset();
    lists_.reset();
    guide_ = std::make_shared<Guide>();
    texts_.emplace(guide_->texts_, TextInterner::Content::Utf8);
    lists_.emplace(guide_->lists_, TextInterner::Content::Bytes);
    lastId_.clear();
    lastChannel_ = -1;
}

void GuideCollector::begin(qint64 programmeLimit) {
    programmeLimit_ = programmeLimit;
    limit_ = Limit::None;
    pending_.clear();
    pendingChannels_.clear();
    perChannel_.assign(guide_->channels_.size(), 0);
    channelElements_ = 0;
    channelsMade_ = 0;
    unknownZones_ = 0;
}

qint32 GuideCollector::channelOf(QByteArrayView id) {
    if (lastChannel_ >= 0 && id == QByteArrayView(lastId_.data(), qsizetype(lastId_.size())))
        return lastChannel_;
    QByteArray key = channelKey(id);
    auto found = guide_->channelIndex_.constFind(key);
    qint32 channel = 0;
    if (found != guide_->channelIndex_.cend()) {
        channel = found.value();
    } else {
        if (channelsMade_ >= MaxChannels) {
            limit_ = Limit::Channels;
            return -1;
        }
        ++channelsMade_;
        channel = qint32(guide_->channels_.size());
        GuideChannel made;
        made.id = texts_->intern(id);
        guide_->channels_.push_back(std::move(made));
        guide_->channelIndex_.insert(std::move(key), channel);
        perChannel_.push_back(0);
    }
    lastId_.assign(id.data(), std::size_t(id.size()));
    lastChannel_ = channel;
    return channel;
}

bool GuideCollector::channel(const ParsedChannel &element) {
    if (element.id.isEmpty())
        return true;
    const qint32 index = channelOf(element.id);
    if (index < 0)
        return false;
    ++channelElements_;
    GuideChannel &channel = guide_->channels_[std::size_t(index)];
    if (channel.icon == 0)
        channel.icon = texts_->intern(element.icon);
    for (int i = 0; i < element.displayNameCount; ++i) {
        const qint32 text = texts_->intern(element.displayNames[std::size_t(i)]);
        if (channel.displayNames.size() < std::size_t(ParsedChannel::MaxDisplayNames) &&
            std::find(channel.displayNames.begin(), channel.displayNames.end(), text) ==
                channel.displayNames.end())
            channel.displayNames.push_back(text);
    }
    return true;
}

bool GuideCollector::programme(const ParsedProgramme &programme) {
    const std::optional<XmltvTime> start = parseXmltvTime(programme.start);
    std::optional<XmltvTime> stop;
    if (programme.hasStop) {
        stop = parseXmltvTime(programme.stop);
        if (!stop)
            return true;
    }
    if (!start || programme.channel.isEmpty())
        return true;
    if (qint64(pending_.size()) >= programmeLimit_) {
        limit_ = Limit::Programmes;
        return false;
    }
    const qint32 channel = channelOf(programme.channel);
    if (channel < 0)
        return false;
    unknownZones_ += start->unknownZone || (stop && stop->unknownZone);

    pendingChannels_.push_back(channel);
    GuideRecord &record = pending_.emplace_back();
    record.start = start->time;
    // A stop at or before the start is as good as none: the next programme gives it.
    record.stop = stop && stop->time > start->time ? stop->time : NoStop;
    record.title = texts_->intern(programme.title);
    record.subTitle = texts_->intern(programme.subTitle);
    record.description = texts_->intern(programme.description);
    record.episode = texts_->intern(programme.episode);
    record.icon = texts_->intern(programme.icon);
    if (programme.categoryCount > 0) {
        categories_.clear();
        for (int i = 0; i < programme.categoryCount; ++i)
            categories_.push_back(texts_->intern(programme.categories[std::size_t(i)]));
        record.categories = lists_->intern({reinterpret_cast<const char *>(categories_.data()),
                                            qsizetype(categories_.size() * sizeof(qint32))});
    }
    ++perChannel_[std::size_t(channel)];
    return true;
}

std::size_t GuideCollector::settle(GuideRecord *first, GuideRecord *end) {
    if (!std::is_sorted(first, end, startsEarlier))
        std::stable_sort(first, end, startsEarlier);
    // The first of those that start together stays; each ends where the next begins if it
    // has no stop or overlaps it; the last with no stop has nothing to end it.
    GuideRecord *kept = first;
    for (GuideRecord *next = first; next != end; ++next) {
        if (kept != first) {
            GuideRecord &last = *(kept - 1);
            if (last.start == next->start)
                continue;
            if (last.stop == NoStop || last.stop > next->start)
                last.stop = next->start;
        }
        *kept++ = *next;
    }
    if (kept != first && (kept - 1)->stop == NoStop)
        --kept;
    return std::size_t(kept - first);
}

std::vector<qint32> GuideCollector::settleAll() {
    const std::size_t count = pending_.size();
    const std::size_t channels = guide_->channels_.size();
    // Where each programme goes, channel by channel and in document order within a channel:
    // order[to] = from. The records move there in place, cycle by cycle.
    PlainArray<qint32> order;
    order.resize(count);
    {
        std::vector<qint32> next(channels, 0);
        qint32 at = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            next[c] = at;
            at += perChannel_[c];
        }
        for (std::size_t from = 0; from < count; ++from)
            order[std::size_t(next[std::size_t(pendingChannels_[from])]++)] = qint32(from);
    }
    pendingChannels_.clear();
    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] == qint32(start))
            continue;
        const GuideRecord first = pending_[start];
        for (std::size_t to = start;;) {
            const auto from = std::size_t(order[to]);
            order[to] = qint32(to);
            if (from == start) {
                pending_[to] = first;
                break;
            }
            pending_[to] = pending_[from];
            to = from;
        }
    }
    order.clear();

    // Each channel's settled programmes close up behind the channel before.
    std::vector<qint32> kept(channels, 0);
    std::size_t from = 0;
    std::size_t to = 0;
    for (std::size_t c = 0; c < channels; ++c) {
        GuideRecord *first = pending_.data() + from;
        kept[c] = qint32(settle(first, first + perChannel_[c]));
        std::copy_n(first, kept[c], pending_.data() + to);
        from += std::size_t(perChannel_[c]);
        to += std::size_t(kept[c]);
    }
    pending_.resize(to);
    return kept;
}

GuideDocument GuideCollector::end() {
    GuideDocument document;
    document.channels = channelElements_;
    document.unknownZones = unknownZones_;
    const std::vector<qint32> kept = settleAll();
    const qint64 before = qint64(guide_->programmes_.size());
    if (before == 0) {
        // Nothing to merge with: the settled programmes are the guide's.
        qint32 at = 0;
        for (std::size_t c = 0; c < kept.size(); ++c) {
            guide_->channels_[c].first = at;
            at += kept[c];
            guide_->channels_[c].end = at;
        }
        guide_->programmes_ = std::move(pending_);
    } else {
        merge(kept);
    }
    pending_.clear();
    perChannel_.clear();
    document.programmes = qint64(guide_->programmes_.size()) - before;
    return document;
}

void GuideCollector::merge(const std::vector<qint32> &kept) {
    PlainArray<GuideRecord> &all = guide_->programmes_;
    std::vector<GuideChannel> &channels = guide_->channels_;
    // What the earlier documents have stays; a later one's programme only fills a gap. The
    // programmes that do are closed up first, then merged in from the back of the guide's
    // programmes grown to hold them, where nothing is overwritten before it has been moved.
    std::vector<qint32> added(channels.size(), 0);
    std::size_t from = 0;
    std::size_t to = 0;
    for (std::size_t c = 0; c < channels.size(); ++c) {
        const GuideRecord *old = all.data() + channels[c].first;
        const GuideRecord *oldEnd = all.data() + channels[c].end;
        for (std::size_t k = 0; k < std::size_t(kept[c]); ++k) {
            const GuideRecord &candidate = pending_[from + k];
            // The first earlier programme that ends after the candidate starts.
            const GuideRecord *next =
                std::upper_bound(old, oldEnd, candidate.start,
                                 [](qint64 t, const GuideRecord &r) { return t < r.stop; });
            if (next == oldEnd || next->start >= candidate.stop) {
                pending_[to++] = candidate;
                ++added[c];
            }
        }
        from += std::size_t(kept[c]);
    }
    const std::size_t oldSize = all.size();
    all.resize(oldSize + to);
    std::size_t write = all.size();
    std::size_t read = to;
    for (std::size_t c = channels.size(); c-- > 0;) {
        GuideChannel &channel = channels[c];
        const std::size_t end = write;
        std::size_t old = std::size_t(channel.end);
        const std::size_t oldFirst = std::size_t(channel.first);
        std::size_t newer = read;
        const std::size_t newerFirst = read - std::size_t(added[c]);
        while (old > oldFirst || newer > newerFirst) {
            const bool takeOld = newer == newerFirst ||
                                 (old > oldFirst && all[old - 1].start > pending_[newer - 1].start);
            all[--write] = takeOld ? all[--old] : pending_[--newer];
        }
        read = newerFirst;
        channel.first = qint32(write);
        channel.end = qint32(end);
    }
}

std::shared_ptr<const Guide> GuideCollector::finish() {
    std::shared_ptr<Guide> guide = guide_;
    guide->texts_.compact();
    guide->lists_.compact();
    guide->channels_.shrink_to_fit();
    guide->programmes_.shrink_to_fit();
    bool any = false;
    for (const GuideChannel &channel : guide->channels_) {
        if (channel.first == channel.end)
            continue;
        const GuideTime start = guide->programmes_[std::size_t(channel.first)].start;
        const GuideTime stop = guide->programmes_[std::size_t(channel.end - 1)].stop;
        guide->firstStart_ = any ? std::min(guide->firstStart_, start) : start;
        guide->lastStop_ = any ? std::max(guide->lastStop_, stop) : stop;
        any = true;
    }
    reset();
    return guide;
}
