#include "guide/TextInterner.h"

#include "guide/Utf8.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

// A cut of UTF-8 text that ends before a character's continuation bytes.
QByteArrayView cut(QByteArrayView text) {
    if (text.size() <= GuideTexts::MaxLength)
        return text;
    qsizetype length = GuideTexts::MaxLength;
    while (length > 0 && (uchar(text[length]) & 0xc0) == 0x80)
        --length;
    return text.first(length);
}

} // namespace

qint32 TextInterner::intern(QByteArrayView text) {
    if (text.isEmpty())
        return 0;
    text = cut(text);
    if (hashes_.size() * 2 >= slots_.size())
        grow();
    const auto hash =
        quint32(std::hash<std::string_view>()({text.data(), std::size_t(text.size())}));
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    for (int probe = 0; probe < MaxProbes; ++probe, slot = (slot + 1) & mask) {
        const quint32 index = slots_[slot];
        if (index == 0)
            break;
        if (hashes_[index] == hash && texts_.at(qint32(index)) == text)
            return qint32(index);
    }
    // A new text, which is checked once: text that is no UTF-8, which the parser passes as it
    // came, is kept with U+FFFD in its place.
    if (content_ == Content::Utf8 && !isValidUtf8(text)) {
        repaired_ = QString::fromUtf8(text).toUtf8();
        return intern(repaired_);
    }
    // Past MaxProbes the text is kept again rather than looked for any longer: texts made to
    // share their hashes cost memory then, never time.
    const qint32 added = texts_.append(text);
    hashes_.push_back(hash);
    if (slots_[slot] == 0)
        slots_[slot] = quint32(added);
    return added;
}

void TextInterner::grow() {
    std::vector<quint32> table(std::max<std::size_t>(1024, slots_.size() * 2), 0);
    const std::size_t mask = table.size() - 1;
    for (std::size_t index = 1; index < hashes_.size(); ++index) {
        std::size_t slot = hashes_[index] & mask;
        for (int probe = 0; probe < MaxProbes && table[slot] != 0; ++probe)
            slot = (slot + 1) & mask;
        if (table[slot] == 0)
            table[slot] = quint32(index);
    }
    slots_ = std::move(table);
}
