#include "playlist/PlaylistSource.h"

#include "search/TitleSearch.h"

#include <algorithm>

namespace {

// A genre's number tells its tuner and its place among that tuner's groups.
qint32 genreId(TunerKind tuner, qsizetype group) {
    return qint32(group * 2 + (tuner == TunerKind::Radio ? 1 : 0));
}

// "CH 00001" for number 1; more digits from 100,000 on.
QString channelNumber(qint32 number) {
    return QStringLiteral("CH ") + QString::number(number).rightJustified(5, u'0');
}

// Entries of the playlist as rows; each row's title is made only when it is shown.
class EntryRows : public ListRows {
public:
    EntryRows(std::shared_ptr<const Playlist> playlist, std::vector<qint32> entries)
        : playlist_(std::move(playlist)), owned_(std::move(entries)), entries_(owned_) {}
    EntryRows(std::shared_ptr<const Playlist> playlist, const PlaylistGroup &group)
        : playlist_(std::move(playlist)), entries_(group.entries) {}

    qsizetype size() const override { return qsizetype(entries_.size()); }
    ListItem item(qsizetype row) const override {
        const qint32 entry = entries_[size_t(row)];
        return {playlist_->title(entry), ListItem::Kind::Channel, entry};
    }
    qsizetype find(const ListItem &item) const override {
        if (item.kind != ListItem::Kind::Channel)
            return -1;
        const auto at = std::find(entries_.begin(), entries_.end(), item.id);
        return at == entries_.end() ? -1 : at - entries_.begin();
    }

private:
    std::shared_ptr<const Playlist> playlist_; // keeps a group's entries alive
    std::vector<qint32> owned_;
    const std::vector<qint32> &entries_;
};

} // namespace

PlaylistSource::PlaylistSource(std::shared_ptr<const Playlist> playlist)
    : playlist_(std::move(playlist)), search_(std::make_unique<TitleSearch>(playlist_)) {}

PlaylistSource::~PlaylistSource() = default;

ListItems PlaylistSource::genres(TunerKind tuner) const {
    const auto &groups = tuner == TunerKind::Tv ? playlist_->tvGroups() : playlist_->radioGroups();
    ListItems items;
    items.reserve(qsizetype(groups.size()));
    for (qsizetype i = 0; i < qsizetype(groups.size()); ++i)
        items.append({groups[i].name, ListItem::Kind::Genre, genreId(tuner, i)});
    return items;
}

std::optional<Rows> PlaylistSource::channelsOf(const ListItem &genre) const {
    if (genre.kind != ListItem::Kind::Genre || genre.id < 0)
        return std::nullopt;
    const auto &groups = genre.id % 2 == 0 ? playlist_->tvGroups() : playlist_->radioGroups();
    const qsizetype index = genre.id / 2;
    if (index >= qsizetype(groups.size()))
        return std::nullopt;
    return std::make_shared<EntryRows>(playlist_, groups[size_t(index)]);
}

std::optional<Rows> PlaylistSource::listClickChannels(const ListItem &item) const {
    return channelsOf(item);
}

std::optional<Rows> PlaylistSource::comboPickChannels(const ListItem &item) const {
    return channelsOf(item);
}

std::optional<Channel> PlaylistSource::channel(const ListItem &item) const {
    if (item.kind != ListItem::Kind::Channel || item.id < 0 || item.id >= playlist_->size())
        return std::nullopt;
    const qsizetype entry = item.id;
    Channel channel;
    channel.name = playlist_->title(entry);
    channel.number = channelNumber(playlist_->number(entry));
    channel.address = playlist_->address(entry);
    channel.headers = {playlist_->userAgent(entry), playlist_->referrer(entry)};
    channel.logo = playlist_->logo(entry);
    return channel;
}

const std::vector<std::pair<qint32, qint32>> &PlaylistSource::byNumber() const {
    if (byNumber_.empty()) {
        byNumber_.reserve(size_t(playlist_->size()));
        for (qint32 entry = 0; entry < playlist_->size(); ++entry)
            byNumber_.emplace_back(playlist_->number(entry), entry);
        // Where two entries give one number, the first in the playlist keeps it.
        std::stable_sort(byNumber_.begin(), byNumber_.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    }
    return byNumber_;
}

std::vector<qint32> PlaylistSource::channelNumbers() const {
    std::vector<qint32> numbers;
    numbers.reserve(byNumber().size());
    for (const auto &[number, entry] : byNumber()) {
        if (numbers.empty() || numbers.back() != number)
            numbers.push_back(number);
    }
    return numbers;
}

std::optional<ListItem> PlaylistSource::numberedChannel(qint32 number) const {
    const auto &numbered = byNumber();
    const auto at = std::lower_bound(numbered.begin(), numbered.end(), number,
                                     [](const auto &pair, qint32 n) { return pair.first < n; });
    if (at == numbered.end() || at->first != number)
        return std::nullopt;
    return ListItem{playlist_->title(at->second), ListItem::Kind::Channel, at->second};
}

Rows PlaylistSource::search(TunerKind tuner, const QString &text) const {
    return std::make_shared<EntryRows>(playlist_, search_->find(text, tuner == TunerKind::Radio));
}

std::optional<ChannelKey> PlaylistSource::keyOf(const ListItem &item) const {
    if (!channel(item))
        return std::nullopt;
    const qint32 entry = item.id;
    // The title and group go with a tvg-id too, for the file's reader.
    if (groupOf_.empty()) {
        groupOf_.resize(size_t(playlist_->size()));
        for (const auto *groups : {&playlist_->tvGroups(), &playlist_->radioGroups()}) {
            for (size_t group = 0; group < groups->size(); ++group) {
                for (const qint32 member : (*groups)[group].entries)
                    groupOf_[size_t(member)] = qint32(group);
            }
        }
    }
    const auto &groups =
        playlist_->isRadio(entry) ? playlist_->radioGroups() : playlist_->tvGroups();
    return ChannelKey{playlist_->guideId(entry), playlist_->title(entry),
                      groups[size_t(groupOf_[size_t(entry)])].name};
}

std::optional<ListItem> PlaylistSource::itemOf(const ChannelKey &key) const {
    if (!key.tvgId.isEmpty()) {
        if (byGuideId_.isEmpty()) {
            for (qint32 entry = playlist_->size() - 1; entry >= 0; --entry) {
                const QString id = playlist_->guideId(entry);
                if (!id.isEmpty())
                    byGuideId_.insert(id.toCaseFolded(), entry);
            }
        }
        const auto found = byGuideId_.constFind(key.tvgId.toCaseFolded());
        if (found == byGuideId_.cend())
            return std::nullopt;
        return ListItem{playlist_->title(*found), ListItem::Kind::Channel, *found};
    }
    // Titles are compared as the playlist keeps them, without making a string of each.
    const QByteArray title = key.title.toUtf8();
    for (const auto *groups : {&playlist_->tvGroups(), &playlist_->radioGroups()}) {
        for (const PlaylistGroup &group : *groups) {
            if (group.name != key.group)
                continue;
            for (const qint32 entry : group.entries) {
                const QByteArrayView written = playlist_->titleBytes(entry);
                if (written.isEmpty() ? playlist_->title(entry) == key.title : written == title)
                    return ListItem{key.title, ListItem::Kind::Channel, entry};
            }
        }
    }
    return std::nullopt;
}

TunerKind PlaylistSource::tunerOf(const ListItem &item) const {
    return channel(item) && playlist_->isRadio(item.id) ? TunerKind::Radio : TunerKind::Tv;
}
