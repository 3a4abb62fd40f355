#pragma once
// Text that goes into a request or a command of the engine: a control character in it could end
// a header line or a command early and start one of its own, so such text is not used at all.

#include <QByteArrayView>

// C0 controls and DEL, the control characters of a single byte.
constexpr bool isAsciiControl(char c) {
    return uchar(c) < 0x20 || uchar(c) == 0x7f;
}

// Whether UTF-8 text holds a control character: C0, DEL or C1 (U+0080 to U+009F), all of
// Unicode's control characters.
bool hasControlCharacter(QByteArrayView utf8);
