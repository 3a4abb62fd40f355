#pragma once
// Reads the XML of an XMLTV document as its bytes arrive, with libxml2's push parser and SAX: no
// tree, no entity but XML's own five, no DTD, file or network. Damage costs no more than the
// element it is in: libxml2 recovers from most of it, and where it gives up the reading starts
// again at the next <programme> or <channel>.

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <memory>
#include <string>
#include <vector>

struct _xmlParserCtxt;

// A <channel> element's content, trimmed.
struct ParsedChannel {
    static constexpr int MaxDisplayNames = 32;

    QByteArrayView id;
    QByteArrayView icon;
    std::array<QByteArrayView, MaxDisplayNames> displayNames;
    int displayNameCount = 0;
};

// A <programme> element's content, trimmed; attributes as written.
struct ParsedProgramme {
    static constexpr int MaxCategories = 16;

    QByteArrayView start;
    QByteArrayView stop;
    bool hasStop = false;
    QByteArrayView channel;
    QByteArrayView title;
    QByteArrayView subTitle;
    QByteArrayView description;
    QByteArrayView episode; // as shown
    QByteArrayView icon;
    std::array<QByteArrayView, MaxCategories> categories;
    int categoryCount = 0;
};

// Takes what the parser reads; false stops the document there.
class XmltvHandler {
public:
    virtual bool channel(const ParsedChannel &channel) = 0;
    virtual bool programme(const ParsedProgramme &programme) = 0;

protected:
    ~XmltvHandler() = default;
};

class XmltvParser {
public:
    enum class Outcome {
        Read,     // to its end
        Empty,    // no content at all
        NotXmltv, // its root element is no <tv>, or there is none
        CutOff,   // it ends inside its root element
        Stopped,  // the handler stopped it
    };

    explicit XmltvParser(XmltvHandler &handler);
    ~XmltvParser();
    XmltvParser(const XmltvParser &) = delete;
    XmltvParser &operator=(const XmltvParser &) = delete;

    // The document's next bytes; false once reading has stopped for good (the handler said so,
    // or the document is no guide).
    bool parse(QByteArrayView bytes);
    // The document is over.
    Outcome finish();

private:
    enum class Item { None, Channel, Programme };
    enum class Field {
        None,
        Title,
        SubTitle,
        Description,
        Category,
        XmltvNsEpisode,
        OnscreenEpisode,
        DisplayName,
    };
    struct Names; // libxml2's own copies of the names compared, one pointer each

    static void startElement(void *parser, const unsigned char *name, const unsigned char *prefix,
                             const unsigned char *uri, int namespaceCount,
                             const unsigned char **namespaces, int attributeCount,
                             int defaultedCount, const unsigned char **attributes);
    static void endElement(void *parser, const unsigned char *name, const unsigned char *prefix,
                           const unsigned char *uri);
    static void characters(void *parser, const unsigned char *text, int length);

    void start(const unsigned char *name, int attributeCount, const unsigned char **attributes);
    void startChild(const unsigned char *name, int attributeCount,
                    const unsigned char **attributes);
    void end();
    void endField();
    void beginItem(Item item, int attributeCount, const unsigned char **attributes);
    void endItem();
    void stopHere();

    void createContext(QByteArrayView prefix);
    void freeContext();
    void parseChunk(QByteArrayView bytes);
    // After libxml2 gave up at `from` of the chunk: where the next element to read starts, or -1.
    qsizetype resumePoint(QByteArrayView bytes, qsizetype from) const;
    // What a context that starts again mid-document is given first.
    QByteArray resumePrefix() const;

    XmltvHandler &handler_;
    _xmlParserCtxt *context_ = nullptr;
    std::unique_ptr<Names> names_;
    QByteArray encoding_;     // as declared, for starting again mid-document
    qint64 contextBytes_ = 0; // of the document given to the present context
    qint64 prefixBytes_ = 0;  // of those, what was made up to start it again
    bool resuming_ = false;   // looking for the next element to read
    QByteArray carried_;      // the end of the last chunk, where an element may begin

    bool content_ = false; // anything but white space seen
    bool rootSeen_ = false;
    bool stopped_ = false;
    bool notXmltv_ = false;
    QByteArray tail_; // the document's last bytes, to tell whether it ends with </tv>
    int depth_ = 0;

    Item item_ = Item::None;
    int itemDepth_ = 0;
    Field field_ = Field::None;
    int fieldDepth_ = 0;
    std::string text_;

    // The element being read.
    std::string id_;
    std::string start_;
    std::string stop_;
    bool hasStop_ = false;
    std::string icon_;
    bool hasIcon_ = false;
    std::string title_;
    bool hasTitle_ = false;
    std::string subTitle_;
    bool hasSubTitle_ = false;
    std::string description_;
    bool hasDescription_ = false;
    std::string xmltvNs_;
    bool hasXmltvNs_ = false;
    std::string onscreen_;
    bool hasOnscreen_ = false;
    std::vector<std::string> categories_;
    int categoryCount_ = 0;
    std::string categoryLanguage_;
    std::string language_; // of the category being read
    std::vector<std::string> displayNames_;
    int displayNameCount_ = 0;
};
