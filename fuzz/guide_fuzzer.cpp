// Feeds any bytes to the guide reader as one document, whole and in pieces whose sizes the input
// chooses, then as two documents one after the other, and reads back everything the guides hold.
// Beyond crashes, leaks and inputs that take too long it checks that how the bytes arrive makes
// no difference, that each channel's programmes are in order of start and never overlap, that
// every query agrees with them and that a later document never changes what an earlier one gave.

#include "guide/GuideBuilder.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Small enough that a bomb ends fast.
GuideLimits limits() {
    GuideLimits small;
    small.downloadedBytes = 1024 * 1024;
    small.decompressedBytes = 4 * 1024 * 1024;
    small.programmes = 20'000;
    return small;
}

// Everything the guide holds, checked on the way.
QStringList readAll(const Guide &guide) {
    QStringList lines;
    qint64 programmes = 0;
    for (qsizetype c = 0; c < guide.channelCount(); ++c) {
        const QString id = guide.channelId(c);
        check(!id.isEmpty() && guide.channelById(id) == c);
        lines << id + guide.displayNames(c).join(u'|') + guide.channelIcon(c);
        const auto [first, end] = guide.programmesOf(c);
        check(first <= end && end <= guide.programmeCount());
        programmes += end - first;
        for (qint32 p = first; p < end; ++p) {
            const GuideProgramme shown = guide.programme(p);
            check(shown.start < shown.stop && shown.start == guide.start(p) &&
                  shown.stop == guide.stop(p) && shown.title == guide.title(p));
            check(guide.firstStart() <= shown.start && shown.stop <= guide.lastStop());
            if (p > first)
                check(guide.stop(p - 1) <= shown.start);
            check(guide.at(c, shown.start) == p && guide.at(c, shown.stop - 1) == p);
            check(guide.after(c, shown.start - 1) == p);
            check(guide.after(c, shown.start) == (p + 1 < end ? p + 1 : -1));
            lines << QString::number(shown.start) + u' ' + QString::number(shown.stop) +
                         shown.title + shown.subTitle + shown.description + shown.episode +
                         shown.categories.join(u'|') + shown.icon;
        }
    }
    check(programmes == guide.programmeCount());
    check(guide.memoryBytes() > 0);
    return lines;
}

struct Read {
    QStringList guide;
    GuideDocument document;
};

Read readOnce(QByteArrayView bytes, std::uint8_t pieces) {
    GuideBuilder builder(limits());
    builder.begin();
    if (pieces == 0) {
        builder.feed(bytes);
    } else {
        for (qsizetype at = 0; at < bytes.size(); at += pieces) {
            if (!builder.feed(bytes.sliced(at, std::min<qsizetype>(pieces, bytes.size() - at))))
                break;
        }
    }
    const GuideDocument document = builder.end();
    const std::shared_ptr<const Guide> guide = builder.finish();
    check(guide->programmeCount() == document.programmes);
    return {readAll(*guide), document};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the pieces' size.
    const std::uint8_t pieces = std::uint8_t(data[0] % 64 + 1);
    const QByteArrayView bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const Read whole = readOnce(bytes, 0);
    const Read inPieces = readOnce(bytes, pieces);
    check(whole.guide == inPieces.guide && whole.document.stopped == inPieces.document.stopped &&
          whole.document.channels == inPieces.document.channels &&
          whole.document.unknownZones == inPieces.document.unknownZones);

    // A second document, the same bytes again, adds nothing where the first had programmes.
    GuideBuilder builder(limits());
    builder.begin();
    builder.feed(bytes);
    const GuideDocument first = builder.end();
    builder.begin();
    builder.feed(bytes);
    const GuideDocument second = builder.end();
    check(first.programmes == whole.document.programmes && second.programmes == 0);
    check(readAll(*builder.finish()) == whole.guide);
    return 0;
}
