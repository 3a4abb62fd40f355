#include "guide/Decompressor.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr QByteArrayView GzipMagic("\x1f\x8b", 2);
constexpr QByteArrayView XzMagic("\xfd\x37\x7a\x58\x5a\x00", 6);

// How much of the head matches a magic: the whole magic, a prefix of it so far, or not.
enum class Match { Whole, SoFar, No };

Match match(QByteArrayView head, QByteArrayView magic) {
    const qsizetype common = std::min(head.size(), magic.size());
    if (head.first(common) != magic.first(common))
        return Match::No;
    return common == magic.size() ? Match::Whole : Match::SoFar;
}

// One step of a decoder into the sink's room: `decode` is given the room and its size and
// answers how much of it is left; what it wrote goes to the sink. Nothing when the sink wants no
// more, else how much was written.
template <typename Decode> std::optional<qsizetype> intoSink(ByteSink &sink, Decode decode) {
    qsizetype size = 0;
    char *room = sink.room(size);
    const qsizetype written = size - decode(room, size);
    if (written > 0 && !sink.wrote(written))
        return std::nullopt;
    return written;
}

} // namespace

struct Decompressor::Gzip {
    Gzip() { inflateInit2(&stream, 16 + MAX_WBITS); }
    ~Gzip() { inflateEnd(&stream); }

    std::optional<qsizetype> step(ByteSink &sink, int &status) {
        return intoSink(sink, [&](char *room, qsizetype size) {
            stream.next_out = reinterpret_cast<Bytef *>(room);
            stream.avail_out = uInt(size);
            status = inflate(&stream, Z_NO_FLUSH);
            return qsizetype(stream.avail_out);
        });
    }

    z_stream stream{};
    bool ended = false;    // a member ended, and no other began
    bool trailing = false; // what follows the last member is no gzip member: left alone
};

struct Decompressor::Xz {
    Xz() { ok = lzma_stream_decoder(&stream, MaxXzMemory, LZMA_CONCATENATED) == LZMA_OK; }
    ~Xz() { lzma_end(&stream); }

    std::optional<qsizetype> step(ByteSink &sink, lzma_action action, lzma_ret &status) {
        return intoSink(sink, [&](char *room, qsizetype size) {
            stream.next_out = reinterpret_cast<uint8_t *>(room);
            stream.avail_out = std::size_t(size);
            status = lzma_code(&stream, action);
            return qsizetype(stream.avail_out);
        });
    }

    lzma_stream stream = LZMA_STREAM_INIT;
    bool ok = false;
    bool ended = false;
};

Decompressor::Decompressor(ByteSink &sink) : sink_(sink) {}

Decompressor::~Decompressor() = default;

Decompressor::Result Decompressor::feed(QByteArrayView bytes) {
    if (format_ != Format::Undecided)
        return pass(bytes);
    head_.append(bytes);
    return decide(false);
}

Decompressor::Result Decompressor::decide(bool atEnd) {
    const Match gzip = match(head_, GzipMagic);
    const Match xz = match(head_, XzMagic);
    if (head_.isEmpty() || (!atEnd && (gzip == Match::SoFar || xz == Match::SoFar)))
        return Result::More;
    if (gzip == Match::Whole) {
        format_ = Format::Gzip;
        gzip_ = std::make_unique<Gzip>();
    } else if (xz == Match::Whole) {
        format_ = Format::Xz;
        xz_ = std::make_unique<Xz>();
    } else {
        format_ = Format::Plain;
    }
    const QByteArray head = std::move(head_);
    return pass(head);
}

Decompressor::Result Decompressor::copy(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        qsizetype size = 0;
        char *room = sink_.room(size);
        size = std::min(size, bytes.size());
        std::memcpy(room, bytes.data(), std::size_t(size));
        if (!sink_.wrote(size))
            return Result::Stopped;
        bytes = bytes.sliced(size);
    }
    return Result::More;
}

Decompressor::Result Decompressor::pass(QByteArrayView bytes) {
    if (format_ == Format::Plain)
        return copy(bytes);
    if (format_ == Format::Gzip) {
        z_stream &z = gzip_->stream;
        if (gzip_->trailing)
            return Result::More;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
        z.avail_in = uInt(bytes.size());
        while (z.avail_in > 0) {
            if (gzip_->ended) {
                // Members one after another make one document, as gzip itself reads them.
                if (*z.next_in != uchar(GzipMagic[0])) {
                    gzip_->trailing = true;
                    return Result::More;
                }
                inflateReset(&z);
                gzip_->ended = false;
            }
            int status = Z_OK;
            if (!gzip_->step(sink_, status))
                return Result::Stopped;
            if (status == Z_STREAM_END)
                gzip_->ended = true;
            else if (status != Z_OK && status != Z_BUF_ERROR)
                return Result::Damaged;
        }
        return Result::More;
    }
    lzma_stream &s = xz_->stream;
    if (!xz_->ok)
        return Result::NeedsMemory;
    s.next_in = reinterpret_cast<const uint8_t *>(bytes.data());
    s.avail_in = std::size_t(bytes.size());
    while (s.avail_in > 0 && !xz_->ended) {
        lzma_ret status = LZMA_OK;
        if (!xz_->step(sink_, LZMA_RUN, status))
            return Result::Stopped;
        if (status == LZMA_STREAM_END)
            xz_->ended = true;
        else if (status == LZMA_MEMLIMIT_ERROR)
            return Result::NeedsMemory;
        else if (status != LZMA_OK)
            return Result::Damaged;
    }
    return Result::More;
}

Decompressor::Result Decompressor::finish() {
    if (format_ == Format::Undecided) {
        const Result result = decide(true);
        if (result != Result::More)
            return result;
    }
    if (format_ == Format::Gzip) {
        // What inflate holds back it gives once there is room for it.
        z_stream &z = gzip_->stream;
        while (!gzip_->ended && !gzip_->trailing) {
            z.next_in = nullptr;
            z.avail_in = 0;
            int status = Z_OK;
            const auto written = gzip_->step(sink_, status);
            if (!written)
                return Result::Stopped;
            if (status == Z_STREAM_END)
                gzip_->ended = true;
            else if (*written == 0)
                return status == Z_OK || status == Z_BUF_ERROR ? Result::CutOff : Result::Damaged;
        }
    } else if (format_ == Format::Xz && xz_->ok) {
        lzma_stream &s = xz_->stream;
        s.avail_in = 0;
        while (!xz_->ended) {
            lzma_ret status = LZMA_OK;
            if (!xz_->step(sink_, LZMA_FINISH, status))
                return Result::Stopped;
            if (status == LZMA_STREAM_END)
                xz_->ended = true;
            else if (status == LZMA_BUF_ERROR)
                return Result::CutOff;
            else if (status != LZMA_OK)
                return Result::Damaged;
        }
    }
    return Result::More;
}
