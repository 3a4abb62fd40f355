#include "tuner/BuiltInSource.h"

#include "catalogue/Catalogue.h"
#include "search/TitleSearch.h"
#include "tuner/Genres.h"

#include <algorithm>
#include <span>

namespace {

ListItems itemsOf(auto &&texts, ListItem::Kind kind) {
    ListItems items;
    items.reserve(qsizetype(std::size(texts)));
    for (QStringView text : texts)
        items.append({text.toString(), kind});
    return items;
}

std::optional<Rows> channelsOf(const GenreTable &table, const ListItem &item) {
    const GenreChannels *genre = findGenre(table, item.text);
    if (genre == nullptr)
        return std::nullopt;
    return rowsOf(itemsOf(genre->labels, ListItem::Kind::Channel));
}

// The number in a catalogue caption: "CH 00003" is 3.
qint32 captionNumber(QStringView caption) {
    qint32 number = 0;
    for (const QChar ch : caption) {
        if (ch.isDigit())
            number = number * 10 + ch.digitValue();
    }
    return number;
}

} // namespace

ListItems BuiltInSource::genres(TunerKind tuner) const {
    return tuner == TunerKind::Tv ? itemsOf(TvGenres, ListItem::Kind::Genre)
                                  : itemsOf(RadioGenres, ListItem::Kind::Genre);
}

std::optional<Rows> BuiltInSource::listClickChannels(const ListItem &item) const {
    return channelsOf(ListClickChannels, item);
}

std::optional<Rows> BuiltInSource::comboPickChannels(const ListItem &item) const {
    return channelsOf(ComboClickChannels, item);
}

std::optional<Channel> BuiltInSource::channel(const ListItem &item) const {
    const ChannelEntry *row = FindChannel(item.text);
    if (row == nullptr)
        return std::nullopt;
    return Channel{row->ChannelName.toString(),
                   row->IndexNo.toString(),
                   row->StreamAddress.toString(),
                   {},
                   row->PlayMethod,
                   {}};
}

std::vector<qint32> BuiltInSource::channelNumbers() const {
    std::vector<qint32> numbers;
    for (const ChannelEntry &row : Catalogue)
        numbers.push_back(captionNumber(row.IndexNo));
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<ListItem> BuiltInSource::numberedChannel(qint32 number) const {
    for (const ChannelEntry &row : Catalogue) {
        if (captionNumber(row.IndexNo) == number)
            return ListItem{row.ListLabel.toString()};
    }
    return std::nullopt;
}

// The labels that the tuner's genres show in the list, each once, in the order they first show.
Rows BuiltInSource::search(TunerKind tuner, const QString &text) const {
    const std::span<const QStringView> genres =
        tuner == TunerKind::Tv ? std::span<const QStringView>(TvGenres) : RadioGenres;
    QStringList seen;
    ListItems found;
    for (const GenreChannels &genre : ListClickChannels) {
        if (std::find(genres.begin(), genres.end(), genre.genre) == genres.end())
            continue;
        for (QStringView label : genre.labels) {
            if (seen.contains(label) || !titleMatches(label, text))
                continue;
            seen.append(label.toString());
            found.append({label.toString()});
        }
    }
    return rowsOf(found);
}

std::optional<ChannelKey> BuiltInSource::keyOf(const ListItem &item) const {
    if (FindChannel(item.text) == nullptr)
        return std::nullopt;
    return ChannelKey{{}, item.text, {}};
}

std::optional<ListItem> BuiltInSource::itemOf(const ChannelKey &key) const {
    if (!key.tvgId.isEmpty() || FindChannel(key.title) == nullptr)
        return std::nullopt;
    return ListItem{key.title};
}

TunerKind BuiltInSource::tunerOf(const ListItem &item) const {
    for (const GenreChannels &genre : ListClickChannels) {
        if (std::find(RadioGenres.begin(), RadioGenres.end(), genre.genre) != RadioGenres.end() &&
            std::find(genre.labels.begin(), genre.labels.end(), item.text) != genre.labels.end())
            return TunerKind::Radio;
    }
    return TunerKind::Tv;
}
