#pragma once
// UTF-8 as XML and the guide's texts take it: characters up to U+10FFFF, no surrogates, no
// overlong forms.

#include <QByteArrayView>

#include <utility>

// The character at the start of `bytes`: its length and code point; length 0 when the bytes
// begin no character, -1 when they are one cut short.
std::pair<int, char32_t> utf8Character(QByteArrayView bytes);

bool isValidUtf8(QByteArrayView bytes);
