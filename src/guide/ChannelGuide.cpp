#include "guide/ChannelGuide.h"

#include "playlist/Playlist.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A display name as compared, into `key`: case folded, underscores as spaces, a run of spaces as
// one, none at either end; "BBC_One" and "bbc  one" are one name. Names are mostly ASCII, which
// is folded here without a QString.
void nameKey(QByteArrayView name, QByteArray &key) {
    key.truncate(0);
    if (!std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; })) {
        key = QString::fromUtf8(name).toCaseFolded().replace(u'_', u' ').simplified().toUtf8();
        return;
    }
    bool space = false; // a space before the next character
    for (const char c : name) {
        if (c == '_' || isAsciiSpace(c)) {
            space = !key.isEmpty();
            continue;
        }
        if (space)
            key += ' ';
        space = false;
        key += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
}

// Finds the guide channel of each entry, by hash lookups alone.
class ChannelMatcher {
public:
    explicit ChannelMatcher(const Guide &guide) : guide_(guide) {
        // Each name leads to the first channel that has it.
        byName_.reserve(guide.channelCount());
        for (qsizetype channel = 0; channel < guide.channelCount(); ++channel) {
            for (const QString &name : guide.displayNames(channel)) {
                nameKey(name.toUtf8(), key_);
                if (!byName_.contains(key_))
                    byName_.insert(key_, qint32(channel));
            }
        }
    }

    qsizetype channelOf(const Playlist &playlist, qsizetype entry) {
        if (const qsizetype channel = byId(playlist.guideIdBytes(entry)); channel >= 0)
            return channel;
        const QByteArrayView name = playlist.guideNameBytes(entry);
        if (const qsizetype channel = byName(name); channel >= 0)
            return channel;
        // Most titles are the channel's name again.
        const QByteArrayView title = playlist.titleBytes(entry);
        return title != name ? byName(title) : -1;
    }

private:
    qsizetype byId(QByteArrayView bytes) const {
        if (bytes.isEmpty())
            return -1;
        const QString id = QString::fromUtf8(bytes);
        const qsizetype channel = guide_.channelById(id);
        // "CNN.us@East": a feed of the channel "CNN.us".
        const qsizetype feed = id.indexOf(u'@');
        return channel >= 0 || feed <= 0 ? channel
                                         : guide_.channelById(QStringView(id).first(feed));
    }

    qsizetype byName(QByteArrayView bytes) {
        if (bytes.isEmpty())
            return -1;
        nameKey(bytes, key_);
        return byName_.value(key_, -1);
    }

    const Guide &guide_;
    QHash<QByteArray, qint32> byName_;
    QByteArray key_; // the name being looked up, kept for its memory
};

} // namespace

ChannelGuide::ChannelGuide(std::shared_ptr<const Guide> guide, const Playlist &playlist)
    : guide_(std::move(guide)), channelOf_(size_t(playlist.size()), -1) {
    const Guide &g = *guide_;
    ChannelMatcher matcher(g);
    std::vector<bool> counted(size_t(g.channelCount()), false);
    GuideTime first = std::numeric_limits<GuideTime>::max();
    GuideTime last = std::numeric_limits<GuideTime>::min();
    for (qint32 entry = 0; entry < qint32(playlist.size()); ++entry) {
        const qsizetype channel = matcher.channelOf(playlist, entry);
        const qint32 shift = playlist.guideShift(entry) * 60;
        if (shift != 0 && shiftOf_.empty())
            shiftOf_.resize(channelOf_.size(), 0);
        if (shift != 0)
            shiftOf_[size_t(entry)] = shift;
        if (channel < 0)
            continue;
        channelOf_[size_t(entry)] = qint32(channel);
        ++matchedEntries_;
        const auto [begin, end] = g.programmesOf(channel);
        if (begin == end)
            continue;
        if (!counted[size_t(channel)]) {
            counted[size_t(channel)] = true;
            matchedProgrammes_ += end - begin;
        }
        first = std::min(first, g.start(begin) + shift);
        last = std::max(last, g.stop(end - 1) + shift);
    }
    if (first <= last) {
        firstStart_ = first;
        lastStop_ = last;
    }
}

qsizetype ChannelGuide::matchedEntries() const {
    return matchedEntries_;
}

bool ChannelGuide::hasChannel(qint32 entry) const {
    return channel(entry) >= 0;
}

qsizetype ChannelGuide::channel(qint32 entry) const {
    return entry >= 0 && size_t(entry) < channelOf_.size() ? channelOf_[size_t(entry)] : -1;
}

qint64 ChannelGuide::matchedProgrammes() const {
    return matchedProgrammes_;
}

std::optional<ProgrammeSlot> ChannelGuide::at(qint32 entry, GuideTime time) const {
    const qsizetype c = channel(entry);
    if (c < 0)
        return std::nullopt;
    const GuideTime shift = shiftOf(entry);
    return slot(guide_->at(c, time - shift), shift);
}

std::optional<ProgrammeSlot> ChannelGuide::after(qint32 entry, GuideTime time) const {
    const qsizetype c = channel(entry);
    if (c < 0)
        return std::nullopt;
    const GuideTime shift = shiftOf(entry);
    return slot(guide_->after(c, time - shift), shift);
}

std::vector<ProgrammeSlot> ChannelGuide::between(qint32 entry, GuideTime from, GuideTime to) const {
    const qsizetype c = channel(entry);
    if (c < 0 || from >= to)
        return {};
    const GuideTime shift = shiftOf(entry);
    // Programmes never overlap, so only the one on at `from` starts before it.
    qint32 programme = guide_->at(c, from - shift);
    if (programme < 0)
        programme = guide_->after(c, from - shift);
    std::vector<ProgrammeSlot> shown;
    if (programme < 0)
        return shown;
    const qint32 end = guide_->programmesOf(c).second;
    for (; programme < end && guide_->start(programme) + shift < to; ++programme)
        shown.push_back(*slot(programme, shift));
    return shown;
}

QString ChannelGuide::title(const ProgrammeSlot &slot) const {
    return guide_->title(slot.programme);
}

GuideProgramme ChannelGuide::details(const ProgrammeSlot &slot) const {
    GuideProgramme programme = guide_->programme(slot.programme);
    programme.start = slot.start;
    programme.stop = slot.stop;
    return programme;
}

GuideTime ChannelGuide::firstStart() const {
    return firstStart_;
}

GuideTime ChannelGuide::lastStop() const {
    return lastStop_;
}

GuideTime ChannelGuide::shiftOf(qint32 entry) const {
    return shiftOf_.empty() ? 0 : shiftOf_[size_t(entry)];
}

std::optional<ProgrammeSlot> ChannelGuide::slot(qint32 programme, GuideTime shift) const {
    if (programme < 0)
        return std::nullopt;
    return ProgrammeSlot{guide_->start(programme) + shift, guide_->stop(programme) + shift,
                         programme};
}
