#include "net/ControlCharacters.h"

namespace {

// U+0080 to U+009F are 0xC2 followed by 0x80 to 0x9F in UTF-8.
constexpr char C1Lead = char(0xc2);

bool isC1Trail(char c) {
    return uchar(c) >= 0x80 && uchar(c) <= 0x9f;
}

} // namespace

bool hasControlCharacter(QByteArrayView utf8) {
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (isAsciiControl(utf8[i]) ||
            (utf8[i] == C1Lead && i + 1 < utf8.size() && isC1Trail(utf8[i + 1])))
            return true;
    }
    return false;
}
