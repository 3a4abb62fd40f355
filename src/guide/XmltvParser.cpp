#include "guide/XmltvParser.h"

#include "guide/EpisodeNumber.h"
#include "guide/GuideStorage.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isSpace(text[first]))
        ++first;
    while (end > first && isSpace(text[end - 1]))
        --end;
    return text.sliced(first, end - first);
}

QByteArrayView view(const std::string &text) {
    return {text.data(), qsizetype(text.size())};
}

QByteArrayView attribute(int count, const xmlChar **attributes, const xmlChar *name) {
    // Five pointers each: local name, prefix, URI, value, end of the value.
    for (int i = 0; i < count; ++i) {
        const xmlChar **at = attributes + 5 * i;
        if (at[0] == name)
            return trimmed({reinterpret_cast<const char *>(at[3]), at[4] - at[3]});
    }
    return {};
}

void assign(std::string &to, QByteArrayView from) {
    to.assign(from.data(), std::size_t(from.size()));
}

// The elements that begin what is read after libxml2 has given up.
constexpr std::array<QByteArrayView, 2> ResumeTags{"<programme", "<channel"};
constexpr qsizetype LongestResumeTag = 10;

void noError(void *, xmlErrorPtr) {}

} // namespace

struct XmltvParser::Names {
    explicit Names(xmlDictPtr dict)
        : tv(lookup(dict, "tv")), channel(lookup(dict, "channel")),
          programme(lookup(dict, "programme")), title(lookup(dict, "title")),
          subTitle(lookup(dict, "sub-title")), desc(lookup(dict, "desc")),
          category(lookup(dict, "category")), episodeNum(lookup(dict, "episode-num")),
          icon(lookup(dict, "icon")), displayName(lookup(dict, "display-name")),
          id(lookup(dict, "id")), start(lookup(dict, "start")), stop(lookup(dict, "stop")),
          src(lookup(dict, "src")), lang(lookup(dict, "lang")), system(lookup(dict, "system")) {}

    static const xmlChar *lookup(xmlDictPtr dict, const char *name) {
        return xmlDictLookup(dict, reinterpret_cast<const xmlChar *>(name), -1);
    }

    const xmlChar *tv, *channel, *programme, *title, *subTitle, *desc, *category, *episodeNum,
        *icon, *displayName;
    const xmlChar *id, *start, *stop, *src, *lang, *system;
};

XmltvParser::XmltvParser(XmltvHandler &handler) : handler_(handler) {
    static const bool initialised = (xmlInitParser(), true);
    Q_UNUSED(initialised);
    createContext({});
}

XmltvParser::~XmltvParser() {
    freeContext();
}

void XmltvParser::createContext(QByteArrayView prefix) {
    freeContext();
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = startElement;
    sax.endElementNs = endElement;
    sax.characters = characters;
    sax.cdataBlock = characters;
    // XML's own entities and no others: nothing declared in the document is expanded, and
    // nothing outside it (DTD, external entity) is ever loaded.
    sax.getEntity = [](void *, const xmlChar *name) { return xmlGetPredefinedEntity(name); };
    sax.serror = noError;
    context_ = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
    xmlCtxtUseOptions(context_, XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_NOERROR |
                                    XML_PARSE_NOWARNING);
    names_ = std::make_unique<Names>(context_->dict);
    contextBytes_ = 0;
    prefixBytes_ = prefix.size();
    depth_ = 0;
    item_ = Item::None;
    field_ = Field::None;
    if (!prefix.isEmpty())
        xmlParseChunk(context_, prefix.data(), int(prefix.size()), 0);
}

void XmltvParser::freeContext() {
    if (context_ == nullptr)
        return;
    // Entities that a document declares libxml2 keeps in a document of its own, unused.
    if (context_->myDoc != nullptr)
        xmlFreeDoc(context_->myDoc);
    xmlFreeParserCtxt(context_);
    context_ = nullptr;
}

bool XmltvParser::parse(QByteArrayView bytes) {
    if (stopped_)
        return false;
    if (!content_) {
        // A byte-order mark is no content either.
        static constexpr QByteArrayView Bom = "\xef\xbb\xbf";
        for (qsizetype at = 0; at < bytes.size() && !content_; ++at)
            content_ = !isSpace(bytes[at]) && !(Bom.contains(bytes[at]) && !rootSeen_);
    }
    if (bytes.size() >= LongestResumeTag) {
        tail_ = bytes.last(LongestResumeTag).toByteArray();
    } else {
        tail_.append(bytes);
        tail_ = tail_.right(LongestResumeTag);
    }
    parseChunk(bytes);
    return !stopped_;
}

void XmltvParser::parseChunk(QByteArrayView bytes) {
    qsizetype at = 0;
    for (;;) {
        if (resuming_) {
            if (!carried_.isEmpty()) {
                // An element that begins at the end of the last chunk.
                const QByteArray joined =
                    carried_ +
                    bytes.first(std::min<qsizetype>(bytes.size(), LongestResumeTag)).toByteArray();
                const qsizetype found = resumePoint(joined, 0);
                if (found >= 0 && found < carried_.size()) {
                    createContext(resumePrefix() + carried_.sliced(found));
                    resuming_ = false;
                }
                carried_.clear();
            }
            if (resuming_) {
                const qsizetype found = resumePoint(bytes, at);
                if (found < 0) {
                    carried_ =
                        bytes.sliced(std::max(at, bytes.size() - LongestResumeTag)).toByteArray();
                    return;
                }
                createContext(resumePrefix());
                resuming_ = false;
                at = found;
            }
        }
        const qsizetype from = at;
        const QByteArrayView rest = bytes.sliced(at);
        contextBytes_ += rest.size();
        xmlParseChunk(context_, rest.data(), int(rest.size()), 0);
        if (stopped_ || context_->instate != XML_PARSER_EOF)
            return;
        // libxml2 gave up: read on from the next element, past where it did.
        if (!rootSeen_) {
            notXmltv_ = true;
            stopped_ = true;
            return;
        }
        const qint64 consumed = xmlByteConsumed(context_) - prefixBytes_;
        const qint64 chunkStart = contextBytes_ - rest.size();
        at = from + qsizetype(std::clamp<qint64>(consumed - chunkStart, 1, rest.size()));
        if (context_->encoding != nullptr)
            encoding_ = reinterpret_cast<const char *>(context_->encoding);
        resuming_ = true;
    }
}

QByteArray XmltvParser::resumePrefix() const {
    return "<?xml version=\"1.0\" encoding=\"" +
           (encoding_.isEmpty() ? QByteArray("UTF-8") : encoding_) + "\"?><tv>";
}

qsizetype XmltvParser::resumePoint(QByteArrayView bytes, qsizetype from) const {
    while (from < bytes.size()) {
        const void *found = std::memchr(bytes.data() + from, '<', std::size_t(bytes.size() - from));
        if (found == nullptr)
            return -1;
        const qsizetype at = static_cast<const char *>(found) - bytes.data();
        for (const QByteArrayView tag : ResumeTags) {
            const QByteArrayView rest = bytes.sliced(at);
            if (rest.size() > tag.size() && rest.startsWith(tag) &&
                (isSpace(rest[tag.size()]) || rest[tag.size()] == '>' || rest[tag.size()] == '/'))
                return at;
        }
        from = at + 1;
    }
    return -1;
}

XmltvParser::Outcome XmltvParser::finish() {
    if (!stopped_ && !resuming_)
        xmlParseChunk(context_, nullptr, 0, 1);
    if (notXmltv_)
        return Outcome::NotXmltv;
    if (stopped_)
        return Outcome::Stopped;
    if (!content_)
        return Outcome::Empty;
    if (!rootSeen_)
        return Outcome::NotXmltv;
    const QByteArrayView end = trimmed(tail_);
    const bool closed = end.endsWith("</tv>") || (depth_ == 0 && item_ == Item::None && !resuming_);
    return closed ? Outcome::Read : Outcome::CutOff;
}

void XmltvParser::startElement(void *parser, const xmlChar *name, const xmlChar *, const xmlChar *,
                               int, const xmlChar **, int attributeCount, int,
                               const xmlChar **attributes) {
    static_cast<XmltvParser *>(parser)->start(name, attributeCount, attributes);
}

void XmltvParser::endElement(void *parser, const xmlChar *, const xmlChar *, const xmlChar *) {
    static_cast<XmltvParser *>(parser)->end();
}

void XmltvParser::characters(void *parser, const xmlChar *text, int length) {
    auto *self = static_cast<XmltvParser *>(parser);
    if (self->field_ == Field::None)
        return;
    // A text is kept up to GuideTexts::MaxLength bytes, and cut where a character begins.
    const std::size_t room = std::size_t(GuideTexts::MaxLength) + 4 -
                             std::min(self->text_.size(), std::size_t(GuideTexts::MaxLength) + 4);
    self->text_.append(reinterpret_cast<const char *>(text), std::min(room, std::size_t(length)));
}

void XmltvParser::start(const xmlChar *name, int attributeCount, const xmlChar **attributes) {
    ++depth_;
    if (!rootSeen_) {
        rootSeen_ = true;
        if (name != names_->tv) {
            notXmltv_ = true;
            stopHere();
        }
        return;
    }
    if (name == names_->programme || name == names_->channel) {
        // One left open by a damaged document ends where the next begins.
        if (item_ != Item::None)
            endItem();
        if (!stopped_)
            beginItem(name == names_->programme ? Item::Programme : Item::Channel, attributeCount,
                      attributes);
        return;
    }
    if (item_ != Item::None && field_ == Field::None && depth_ == itemDepth_ + 1)
        startChild(name, attributeCount, attributes);
}

void XmltvParser::beginItem(Item item, int attributeCount, const xmlChar **attributes) {
    item_ = item;
    itemDepth_ = depth_;
    hasIcon_ = false;
    if (item == Item::Channel) {
        assign(id_, attribute(attributeCount, attributes, names_->id));
        displayNameCount_ = 0;
        return;
    }
    assign(start_, attribute(attributeCount, attributes, names_->start));
    assign(stop_, attribute(attributeCount, attributes, names_->stop));
    hasStop_ = !stop_.empty();
    assign(id_, attribute(attributeCount, attributes, names_->channel));
    hasTitle_ = hasSubTitle_ = hasDescription_ = hasXmltvNs_ = hasOnscreen_ = false;
    categoryCount_ = 0;
}

void XmltvParser::startChild(const xmlChar *name, int attributeCount, const xmlChar **attributes) {
    if (name == names_->icon) {
        if (!hasIcon_) {
            assign(icon_, attribute(attributeCount, attributes, names_->src));
            hasIcon_ = !icon_.empty();
        }
        return;
    }
    Field field = Field::None;
    if (item_ == Item::Channel) {
        if (name == names_->displayName)
            field = Field::DisplayName;
    } else if (name == names_->title) {
        field = hasTitle_ ? Field::None : Field::Title;
    } else if (name == names_->desc) {
        field = hasDescription_ ? Field::None : Field::Description;
    } else if (name == names_->subTitle) {
        field = hasSubTitle_ ? Field::None : Field::SubTitle;
    } else if (name == names_->category) {
        // Categories of the first one's language.
        const QByteArrayView language = attribute(attributeCount, attributes, names_->lang);
        if (categoryCount_ == 0) {
            assign(categoryLanguage_, language);
            field = Field::Category;
        } else if (categoryCount_ < ParsedProgramme::MaxCategories &&
                   language == view(categoryLanguage_)) {
            field = Field::Category;
        }
    } else if (name == names_->episodeNum) {
        const QByteArrayView system = attribute(attributeCount, attributes, names_->system);
        if (system == "xmltv_ns" && !hasXmltvNs_)
            field = Field::XmltvNsEpisode;
        else if (system == "onscreen" && !hasOnscreen_)
            field = Field::OnscreenEpisode;
    }
    if (field != Field::None) {
        field_ = field;
        fieldDepth_ = depth_;
        text_.clear();
    }
}

void XmltvParser::end() {
    if (field_ != Field::None && depth_ == fieldDepth_)
        endField();
    if (item_ != Item::None && depth_ == itemDepth_)
        endItem();
    --depth_;
}

void XmltvParser::endField() {
    const Field field = field_;
    field_ = Field::None;
    // Trimmed where it is, then swapped in, so that no text is copied again.
    const QByteArrayView text = trimmed(view(text_));
    if (text.isEmpty())
        return;
    const std::size_t first = std::size_t(text.data() - text_.data());
    text_.resize(first + std::size_t(text.size()));
    text_.erase(0, first);
    switch (field) {
    case Field::Title:
        title_.swap(text_);
        hasTitle_ = true;
        break;
    case Field::SubTitle:
        subTitle_.swap(text_);
        hasSubTitle_ = true;
        break;
    case Field::Description:
        description_.swap(text_);
        hasDescription_ = true;
        break;
    case Field::Category:
        if (std::none_of(categories_.begin(), categories_.begin() + categoryCount_,
                         [&](const std::string &c) { return c == text_; })) {
            if (categories_.size() <= std::size_t(categoryCount_))
                categories_.emplace_back();
            categories_[std::size_t(categoryCount_++)].swap(text_);
        }
        break;
    case Field::XmltvNsEpisode:
        xmltvNs_.swap(text_);
        hasXmltvNs_ = true;
        break;
    case Field::OnscreenEpisode:
        onscreen_.swap(text_);
        hasOnscreen_ = true;
        break;
    case Field::DisplayName:
        if (displayNameCount_ < ParsedChannel::MaxDisplayNames &&
            std::none_of(displayNames_.begin(), displayNames_.begin() + displayNameCount_,
                         [&](const std::string &name) { return name == text_; })) {
            if (displayNames_.size() <= std::size_t(displayNameCount_))
                displayNames_.emplace_back();
            displayNames_[std::size_t(displayNameCount_++)].swap(text_);
        }
        break;
    case Field::None:
        break;
    }
}

void XmltvParser::endItem() {
    const Item item = item_;
    item_ = Item::None;
    field_ = Field::None;
    bool goOn = true;
    if (item == Item::Channel) {
        ParsedChannel channel;
        channel.id = view(id_);
        if (hasIcon_)
            channel.icon = view(icon_);
        for (int i = 0; i < displayNameCount_; ++i)
            channel.displayNames[std::size_t(i)] = view(displayNames_[std::size_t(i)]);
        channel.displayNameCount = displayNameCount_;
        goOn = handler_.channel(channel);
    } else {
        ParsedProgramme programme;
        programme.start = view(start_);
        programme.stop = view(stop_);
        programme.hasStop = hasStop_;
        programme.channel = view(id_);
        if (hasTitle_)
            programme.title = view(title_);
        if (hasSubTitle_)
            programme.subTitle = view(subTitle_);
        if (hasDescription_)
            programme.description = view(description_);
        const std::string episode = hasXmltvNs_ ? shownEpisode(view(xmltvNs_)) : std::string();
        programme.episode = episode.empty() && hasOnscreen_ ? view(onscreen_) : view(episode);
        if (hasIcon_)
            programme.icon = view(icon_);
        for (int i = 0; i < categoryCount_; ++i)
            programme.categories[std::size_t(i)] = view(categories_[std::size_t(i)]);
        programme.categoryCount = categoryCount_;
        goOn = handler_.programme(programme);
    }
    if (!goOn)
        stopHere();
}

void XmltvParser::stopHere() {
    stopped_ = true;
    xmlStopParser(context_);
}
