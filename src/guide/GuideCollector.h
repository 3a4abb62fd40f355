#pragma once
// Turns what the XMLTV parser reads into a guide, one document after another: times read, texts
// kept once, channels matched by id ignoring case. At each document's end its programmes are put
// in order channel by channel, given the stops they lack, cut where they overlap, and merged
// with those of the documents before, which win wherever both have a programme.

#include "guide/Guide.h"
#include "guide/GuideBuilder.h"
#include "guide/TextInterner.h"
#include "guide/XmltvParser.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class GuideCollector final : public XmltvHandler {
public:
    enum class Limit { None, Programmes, Channels };

    // Channels that one document may bring.
    static constexpr qint64 MaxChannels = 1'000'000;

    GuideCollector();

    void begin(qint64 programmeLimit);
    bool channel(const ParsedChannel &channel) override;
    bool programme(const ParsedProgramme &programme) override;
    // The limit that stopped the document, if one did.
    Limit limitReached() const { return limit_; }
    // What the document gave; `stopped` is left to the caller.
    GuideDocument end();

    std::shared_ptr<const Guide> finish();

private:
    void reset();
    // The channel of that id, made now if it is new; -1 past the limit.
    qint32 channelOf(QByteArrayView id);
    // Puts the document's programmes channel by channel, each channel's in order of start with
    // the stops and overlaps settled; the number kept of each channel.
    std::vector<qint32> settleAll();
    static std::size_t settle(GuideRecord *first, GuideRecord *end);
    // The document's programmes, settled, among those of the documents before.
    void merge(const std::vector<qint32> &kept);

    std::shared_ptr<Guide> guide_;
    std::optional<TextInterner> texts_;
    std::optional<TextInterner> lists_;

    // Of the document being read.
    qint64 programmeLimit_ = 0;
    Limit limit_ = Limit::None;
    // The programmes read, in document order until the end, and their channels. A stop is
    // NoStop until the next programme gives it.
    PlainArray<GuideRecord> pending_;
    PlainArray<qint32> pendingChannels_;
    std::vector<qint32> perChannel_; // programmes read, by channel
    qint64 channelElements_ = 0;
    qint64 channelsMade_ = 0;
    int unknownZones_ = 0;

    std::string lastId_; // the channel attribute of the last programme, as written
    qint32 lastChannel_ = -1;
    std::vector<qint32> categories_;
};
