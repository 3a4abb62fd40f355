#include "guide/GuideBuilder.h"

#include "guide/AsciiContent.h"
#include "guide/Decompressor.h"
#include "guide/GuideCollector.h"
#include "guide/HandOff.h"
#include "guide/ItemBatch.h"
#include "guide/XmltvParser.h"

#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

QString counted(qint64 count) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(count);
}

QString sized(qint64 bytes) {
    static constexpr std::pair<qint64, const char *> Units[]{
        {qint64(1) << 30, "GiB"}, {qint64(1) << 20, "MiB"}, {qint64(1) << 10, "KiB"}};
    for (const auto &[unit, name] : Units) {
        if (bytes >= unit && bytes % unit == 0)
            return counted(bytes / unit) + u' ' + QLatin1StringView(name);
    }
    return counted(bytes) + (bytes == 1 ? u" byte"_qs : u" bytes"_qs);
}

// Decompressed bytes on their way to the parser.
struct Chunk {
    static constexpr qsizetype Bytes = 256 * 1024;
    std::unique_ptr<char[]> data; // made when first filled: a small document needs one
    qsizetype size = 0;
};

// Hands what the parser reads on to the thread that builds the guide, a batch at a time.
class BatchWriter final : public XmltvHandler {
public:
    BatchWriter(HandOff<ItemBatch> &batches, const std::atomic<bool> &stop)
        : batches_(batches), stop_(stop) {}

    bool channel(const ParsedChannel &channel) override {
        batch().add(channel);
        return handed();
    }
    bool programme(const ParsedProgramme &programme) override {
        batch().add(programme);
        return handed();
    }
    void flush() {
        if (batch_ != nullptr)
            batches_.fill(batch_);
        batch_ = nullptr;
    }

private:
    ItemBatch &batch() {
        if (batch_ == nullptr) {
            batch_ = batches_.free();
            batch_->clear();
        }
        return *batch_;
    }
    bool handed() {
        if (batch_->full())
            flush();
        return !stop_.load(std::memory_order_relaxed);
    }

    HandOff<ItemBatch> &batches_;
    const std::atomic<bool> &stop_;
    ItemBatch *batch_ = nullptr;
};

} // namespace

// Three threads share a document: the caller's counts its bytes, decompresses them and fills
// chunks; the next parses the chunks; the last builds the guide from what was parsed.
struct GuideBuilder::State final : ByteSink, ByteOutput {
    explicit State(GuideLimits given) : limits(given) {}
    ~State() { abandon(); }

    // From the decompressor, through the rewriting of text, into chunks.
    char *room(qsizetype &size) override;
    bool wrote(qsizetype size) override;
    bool put(QByteArrayView bytes) override;

    void begin();
    bool feed(QByteArrayView bytes);
    GuideDocument end();
    void abandon();
    void join();
    void parse();
    void collect();
    bool stoppedAfter() const { return parserStopped || collectorStopped; }

    const GuideLimits limits;
    GuideCollector collector;

    // Of the document being read.
    bool open = false;
    std::unique_ptr<HandOff<Chunk>> chunks;
    std::unique_ptr<HandOff<ItemBatch>> batches;
    std::unique_ptr<Decompressor> decompressor;
    std::unique_ptr<AsciiContent> ascii;
    Chunk *chunk = nullptr; // being filled
    qint64 downloaded = 0;
    qint64 decompressed = 0;
    QString stopped; // why the caller's side stopped
    bool compressedCutOff = false;
    std::atomic<bool> parserStopped{false};
    std::atomic<bool> collectorStopped{false};
    std::atomic<bool> abandoned{false}; // the rest is dropped
    std::thread parsing;
    std::thread collecting;
    XmltvParser::Outcome outcome = XmltvParser::Outcome::Read;
};

char *GuideBuilder::State::room(qsizetype &size) {
    return ascii->room(size);
}

bool GuideBuilder::State::wrote(qsizetype size) {
    const bool over = decompressed + size > limits.decompressedBytes;
    if (over)
        size = qsizetype(limits.decompressedBytes - decompressed);
    decompressed += size;
    const bool goOn = ascii->wrote(size);
    if (over) {
        stopped = u"it stops after "_qs + sized(limits.decompressedBytes) + u" decompressed"_qs;
        return false;
    }
    return goOn;
}

bool GuideBuilder::State::put(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        if (chunk == nullptr) {
            chunk = chunks->free();
            chunk->size = 0;
            if (!chunk->data)
                chunk->data.reset(new char[Chunk::Bytes]);
        }
        const qsizetype size = std::min(bytes.size(), Chunk::Bytes - chunk->size);
        std::memcpy(chunk->data.get() + chunk->size, bytes.data(), std::size_t(size));
        chunk->size += size;
        bytes = bytes.sliced(size);
        if (chunk->size == Chunk::Bytes) {
            chunks->fill(chunk);
            chunk = nullptr;
        }
    }
    return !stoppedAfter();
}

void GuideBuilder::State::begin() {
    if (open)
        end();
    open = true;
    chunks = std::make_unique<HandOff<Chunk>>(8);
    batches = std::make_unique<HandOff<ItemBatch>>(6);
    decompressor = std::make_unique<Decompressor>(*this);
    ascii = std::make_unique<AsciiContent>(*this);
    chunk = nullptr;
    downloaded = 0;
    decompressed = 0;
    stopped.clear();
    compressedCutOff = false;
    parserStopped = false;
    collectorStopped = false;
    abandoned = false;
    collector.begin(limits.programmes);
    parsing = std::thread([this] { parse(); });
    collecting = std::thread([this] { collect(); });
}

void GuideBuilder::State::parse() {
    BatchWriter writer(*batches, collectorStopped);
    {
        XmltvParser parser(writer);
        while (Chunk *next = chunks->next()) {
            if (!parserStopped && !abandoned && !parser.parse({next->data.get(), next->size}))
                parserStopped = true;
            chunks->release(next);
        }
        outcome = abandoned ? XmltvParser::Outcome::Stopped : parser.finish();
    }
    writer.flush();
    batches->close();
}

void GuideBuilder::State::collect() {
    while (ItemBatch *next = batches->next()) {
        if (!collectorStopped && !abandoned && !next->replay(collector))
            collectorStopped = true;
        batches->release(next);
    }
}

bool GuideBuilder::State::feed(QByteArrayView bytes) {
    if (!open)
        begin();
    if (!stopped.isEmpty() || stoppedAfter())
        return false;
    const bool over = downloaded + bytes.size() > limits.downloadedBytes;
    if (over)
        bytes = bytes.first(qsizetype(limits.downloadedBytes - downloaded));
    downloaded += bytes.size();
    switch (decompressor->feed(bytes)) {
    case Decompressor::Result::Damaged:
        stopped = u"its compressed data is damaged"_qs;
        break;
    case Decompressor::Result::NeedsMemory:
        stopped = u"it needs over "_qs + sized(Decompressor::MaxXzMemory) +
                  u" of memory to decompress"_qs;
        break;
    default:
        break; // on its way, or stopped by the sink, which says why
    }
    if (over && stopped.isEmpty())
        stopped = u"it stops after "_qs + sized(limits.downloadedBytes) + u" downloaded"_qs;
    return stopped.isEmpty() && !stoppedAfter();
}

void GuideBuilder::State::join() {
    chunks->close();
    parsing.join();
    collecting.join();
    open = false;
    decompressor.reset();
    ascii.reset();
    chunks.reset();
    batches.reset();
}

GuideDocument GuideBuilder::State::end() {
    if (!open)
        begin();
    if (stopped.isEmpty() && !stoppedAfter()) {
        const Decompressor::Result result = decompressor->finish();
        if (result == Decompressor::Result::CutOff)
            compressedCutOff = true;
        else if (result == Decompressor::Result::Damaged)
            stopped = u"its compressed data is damaged"_qs;
    }
    if (stopped.isEmpty() && !stoppedAfter())
        ascii->finish();
    if (chunk != nullptr)
        chunks->fill(chunk);
    chunk = nullptr;
    join();

    GuideDocument document = collector.end();
    using Outcome = XmltvParser::Outcome;
    if (!stopped.isEmpty()) {
        document.stopped = stopped;
    } else if (collectorStopped) {
        document.stopped =
            collector.limitReached() == GuideCollector::Limit::Channels
                ? u"it stops at "_qs + counted(GuideCollector::MaxChannels) + u" channels"_qs
                : u"it stops at "_qs + counted(limits.programmes) + u" programmes"_qs;
    } else if (outcome == Outcome::NotXmltv) {
        document.stopped = u"it is not an XMLTV guide"_qs;
    } else if (outcome == Outcome::CutOff || compressedCutOff) {
        document.stopped = u"it is cut off"_qs;
    } else if (outcome == Outcome::Empty) {
        document.stopped = u"it is empty"_qs;
    }
    return document;
}

void GuideBuilder::State::abandon() {
    if (!open)
        return;
    abandoned = true;
    if (chunk != nullptr)
        chunks->release(chunk);
    chunk = nullptr;
    join();
}

GuideBuilder::GuideBuilder(GuideLimits limits) : state_(std::make_unique<State>(limits)) {}

GuideBuilder::~GuideBuilder() = default;

void GuideBuilder::begin() {
    state_->begin();
}

bool GuideBuilder::feed(QByteArrayView bytes) {
    return state_->feed(bytes);
}

GuideDocument GuideBuilder::end() {
    return state_->end();
}

std::shared_ptr<const Guide> GuideBuilder::finish() {
    if (state_->open)
        state_->end();
    return state_->collector.finish();
}
