#pragma once
// UTF-8 as XML and the guide's texts take it: characters up to U+10FFFF, no surrogates, no
// overlong forms.

#include <QByteArrayView>

#include <utility>

// The character at the start of `bytes`: its length and code point; length 0 when the bytes
// begin no character, -1 when they are one cut short.
std::pair<int, char32_t> utf8Character(QByteArrayView bytes);

// Where the run of ASCII bytes that starts at `at` ends: the next byte over 0x7f, or the end.
qsizetype asciiRunEnd(QByteArrayView bytes, qsizetype at);

bool isValidUtf8(QByteArrayView bytes);
