#pragma once
// A document's bytes as they arrive, decompressed when they are gzip or xz (told by their first
// bytes, whatever the file is called) and written into the caller's buffers as they come, so
// that nothing but the decompressor's own window is ever held.

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// Where decompressed bytes go.
class ByteSink {
public:
    // Room for the next bytes, never empty.
    virtual char *room(qsizetype &size) = 0;
    // `size` bytes were written there; false stops the document.
    virtual bool wrote(qsizetype size) = 0;

protected:
    ~ByteSink() = default;
};

class Decompressor {
public:
    enum class Result {
        More,       // all well so far
        Stopped,    // the sink stopped it
        Damaged,    // no valid compressed data
        CutOff,     // the compressed data ends before its end
        NeedsMemory // an xz stream that needs more than MaxXzMemory to decompress
    };

    // What the xz decoder may use; "xz -9" needs 65 MiB.
    static constexpr quint64 MaxXzMemory = quint64(256) * 1024 * 1024;

    explicit Decompressor(ByteSink &sink);
    ~Decompressor();
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    Result feed(QByteArrayView bytes);
    // The document is over.
    Result finish();

private:
    enum class Format { Undecided, Plain, Gzip, Xz };
    struct Gzip;
    struct Xz;

    Result decide(bool atEnd);
    Result pass(QByteArrayView bytes);
    Result copy(QByteArrayView bytes);

    ByteSink &sink_;
    Format format_ = Format::Undecided;
    QByteArray head_; // the first bytes, until the format is known
    std::unique_ptr<Gzip> gzip_;
    std::unique_ptr<Xz> xz_;
};
