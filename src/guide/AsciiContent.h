#pragma once
// Between the decompressor and the XML parser: in a UTF-8 or ISO-8859-1 document every character
// beyond ASCII in text content becomes a numeric character reference ("é" becomes "&#233;"),
// which XML reads as the same character, since libxml2 reads text of ASCII alone several times
// faster than any other, and guides are mostly text. In a UTF-8 document a byte that is no UTF-8
// becomes the Windows-1252 character that it most likely is, wherever it is. What comes before the
// first markup (a byte-order mark), markup itself (tags and their attributes), CDATA sections,
// comments and processing instructions pass as they are, and so does the whole of a document in any
// other encoding. What comes out depends on the document's bytes alone, never on how they were
// split.

#include "guide/Decompressor.h"

#include <QByteArrayView>

#include <memory>

// Where the document goes on, a run of bytes at a time; false stops it.
class ByteOutput {
public:
    virtual bool put(QByteArrayView bytes) = 0;

protected:
    ~ByteOutput() = default;
};

class AsciiContent final : public ByteSink {
public:
    explicit AsciiContent(ByteOutput &output);

    char *room(qsizetype &size) override;
    bool wrote(qsizetype size) override;
    // The document is over: what was held back goes on as it is.
    bool finish();

private:
    enum class Mode { Undecided, Utf8, Latin1, Pass };
    enum class State { Start, Text, Markup, Tag, Comment, CData, Instruction };

    static constexpr qsizetype BufferBytes = 64 * 1024;
    // The longest XML declaration looked into for the document's encoding.
    static constexpr qsizetype LongestDeclaration = 512;

    // Takes what it can of the buffer; false once the output stopped.
    bool take(bool atEnd);
    Mode modeOf(QByteArrayView start, bool atEnd) const;
    // How many of the bytes can be decided now, each function for its state. Bytes go on
    // unchanged, in runs, but for the characters that text() replaces.
    qsizetype process(QByteArrayView bytes, bool atEnd);
    qsizetype text(QByteArrayView bytes, bool atEnd);
    qsizetype markup(QByteArrayView bytes, bool atEnd);
    qsizetype until(QByteArrayView bytes, QByteArrayView end, bool atEnd);
    // Markup passes as it is but for bytes that are no UTF-8, which would make libxml2 read the
    // rest of the document as Latin-1: they become the characters they most likely are.
    qsizetype checked(QByteArrayView bytes, bool atEnd);
    // Hands on the unchanged bytes up to `end`, then `replacement` for those up to `next`.
    void replace(const char *end, QByteArrayView replacement, const char *next);

    ByteOutput &output_;
    std::unique_ptr<char[]> buffer_;
    qsizetype filled_ = 0;      // bytes in the buffer, those held back first
    const char *run_ = nullptr; // where the unchanged bytes not yet handed on begin
    Mode mode_ = Mode::Undecided;
    State state_ = State::Start;
    bool stopped_ = false;
};
