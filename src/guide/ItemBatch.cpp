#include "guide/ItemBatch.h"

#include <cstring>

namespace {

enum Kind : char { Channel = 'C', Programme = 'P' };

class Reader {
public:
    explicit Reader(const std::string &bytes) : at_(bytes.data()), end_(at_ + bytes.size()) {}
    bool atEnd() const { return at_ == end_; }
    char kind() { return *at_++; }
    quint32 number() {
        quint32 value = 0;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    QByteArrayView text() {
        const quint32 size = number();
        const QByteArrayView text(at_, qsizetype(size));
        at_ += size;
        return text;
    }

private:
    const char *at_;
    const char *end_;
};

} // namespace

void ItemBatch::put(quint32 number) {
    bytes_.append(reinterpret_cast<const char *>(&number), sizeof number);
}

void ItemBatch::put(QByteArrayView text) {
    put(quint32(text.size()));
    bytes_.append(text.data(), std::size_t(text.size()));
}

void ItemBatch::add(const ParsedChannel &channel) {
    bytes_ += Channel;
    put(channel.id);
    put(channel.icon);
    put(quint32(channel.displayNameCount));
    for (int i = 0; i < channel.displayNameCount; ++i)
        put(channel.displayNames[std::size_t(i)]);
}

void ItemBatch::add(const ParsedProgramme &programme) {
    bytes_ += Programme;
    for (const QByteArrayView text :
         {programme.start, programme.stop, programme.channel, programme.title, programme.subTitle,
          programme.description, programme.episode, programme.icon})
        put(text);
    put(quint32(programme.hasStop));
    put(quint32(programme.categoryCount));
    for (int i = 0; i < programme.categoryCount; ++i)
        put(programme.categories[std::size_t(i)]);
}

bool ItemBatch::replay(XmltvHandler &handler) const {
    Reader reader(bytes_);
    while (!reader.atEnd()) {
        if (reader.kind() == Channel) {
            ParsedChannel channel;
            channel.id = reader.text();
            channel.icon = reader.text();
            channel.displayNameCount = int(reader.number());
            for (int i = 0; i < channel.displayNameCount; ++i)
                channel.displayNames[std::size_t(i)] = reader.text();
            if (!handler.channel(channel))
                return false;
            continue;
        }
        ParsedProgramme programme;
        for (QByteArrayView *text :
             {&programme.start, &programme.stop, &programme.channel, &programme.title,
              &programme.subTitle, &programme.description, &programme.episode, &programme.icon})
            *text = reader.text();
        programme.hasStop = reader.number() != 0;
        programme.categoryCount = int(reader.number());
        for (int i = 0; i < programme.categoryCount; ++i)
            programme.categories[std::size_t(i)] = reader.text();
        if (!handler.programme(programme))
            return false;
    }
    return true;
}
