#pragma once
// Pictures for the tests of channel logos, made here on every run.

#include <QByteArray>
#include <QColor>
#include <QSize>

// A PNG of `size` in one colour.
QByteArray makePng(QSize size, QColor colour = Qt::darkCyan);

// A PNG of noise, the same on every run: it does not compress, so it takes about 3 bytes a pixel.
QByteArray makeNoisePng(QSize size);

// A PNG of a few bytes whose header claims `size`, as pictures made to exhaust a decoder's
// memory do.
QByteArray makePngClaiming(QSize size);
