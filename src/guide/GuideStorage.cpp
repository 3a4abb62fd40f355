#include "guide/GuideStorage.h"

#include <QString>

#include <algorithm>
#include <cstring>

GuideTexts::GuideTexts() {
    refs_.push_back(0);
}

qint32 GuideTexts::append(QByteArrayView bytes) {
    const auto length = std::size_t(std::min(bytes.size(), MaxLength));
    if (blocks_.empty() || blocks_.back().size() + length > BlockBytes)
        blocks_.emplace_back();
    PlainArray<char> &last = blocks_.back();
    const std::size_t at = last.size();
    if (at + length > last.capacity())
        last.reserve(std::clamp<std::size_t>(last.capacity() * 2, 64 * 1024, BlockBytes));
    last.append(bytes.data(), length);
    const quint64 offset = (quint64(blocks_.size() - 1) << BlockBits) + at;
    refs_.push_back(offset << LengthBits | length);
    return qint32(refs_.size() - 1);
}

void GuideTexts::compact() {
    refs_.shrink_to_fit();
    if (!blocks_.empty())
        blocks_.back().shrink_to_fit();
}

std::size_t GuideTexts::memoryBytes() const {
    std::size_t bytes =
        refs_.capacity() * sizeof(quint64) + blocks_.capacity() * sizeof(blocks_[0]);
    for (const PlainArray<char> &block : blocks_)
        bytes += block.capacity();
    return bytes;
}

QByteArray channelKey(QByteArrayView id) {
    const bool ascii = std::all_of(id.begin(), id.end(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii)
        return QString::fromUtf8(id).toCaseFolded().toUtf8();
    QByteArray key(id.data(), id.size());
    for (char &c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return key;
}
