#include "support/TestImages.h"

#include "support/TestMedia.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

QByteArray png(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The CRC-32 that PNG chunks end with (ISO 3309, as in zlib).
quint32 crc32(QByteArrayView bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (const char byte : bytes)
        c = table[(c ^ quint8(byte)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

// Where a PNG's first chunk, its header, keeps the picture's width and height and its CRC: after
// the 8-byte signature, the chunk's length and type, and its 13 bytes of data.
constexpr qsizetype HeaderType = 12;
constexpr qsizetype HeaderWidth = 16;
constexpr qsizetype HeaderHeight = 20;
constexpr qsizetype HeaderCrc = 29;

} // namespace

QByteArray makePng(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return png(image);
}

QByteArray makeNoisePng(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const QByteArray noise = makeGarbage(int(image.sizeInBytes()));
    std::copy(noise.begin(), noise.end(), image.bits());
    return png(image);
}

QByteArray makePngClaiming(QSize size) {
    QByteArray bytes = makePng(QSize(1, 1));
    qToBigEndian(quint32(size.width()), bytes.data() + HeaderWidth);
    qToBigEndian(quint32(size.height()), bytes.data() + HeaderHeight);
    const quint32 crc = crc32(QByteArrayView(bytes).sliced(HeaderType, HeaderCrc - HeaderType));
    qToBigEndian(crc, bytes.data() + HeaderCrc);
    return bytes;
}
