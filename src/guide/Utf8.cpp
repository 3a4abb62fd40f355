#include "guide/Utf8.h"

#include <QtGlobal>

#include <cstring>

std::pair<int, char32_t> utf8Character(QByteArrayView bytes) {
    const auto lead = uchar(bytes[0]);
    int length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
        least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
        least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    for (int i = 1; i < length; ++i) {
        if (i >= bytes.size())
            return {-1, 0};
        const auto next = uchar(bytes[i]);
        if ((next & 0xc0) != 0x80)
            return {0, 0};
        code = code << 6 | (next & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return {0, 0};
    return {length, code};
}

qsizetype asciiRunEnd(QByteArrayView bytes, qsizetype at) {
    // Eight bytes at a time where it can.
    for (quint64 word = 0; at + 8 <= bytes.size(); at += 8) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
    }
    while (at < bytes.size() && uchar(bytes[at]) < 0x80)
        ++at;
    return at;
}

bool isValidUtf8(QByteArrayView bytes) {
    qsizetype at = 0;
    while (at < bytes.size()) {
        at = asciiRunEnd(bytes, at);
        if (at == bytes.size())
            break;
        const int length = utf8Character(bytes.sliced(at)).first;
        if (length <= 0)
            return false;
        at += length;
    }
    return true;
}
