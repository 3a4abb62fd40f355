#pragma once
// Reads XMLTV documents as their bytes arrive (plain XML, gzip or xz, told apart by their first
// bytes) into one guide, never holding a whole decompressed document. Documents are read one
// after another; for a channel and a time, the first document with a programme there wins.

#include "guide/Guide.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

struct GuideLimits {
    qint64 downloadedBytes = qint64(256) * 1024 * 1024;        // of one document, as it arrives
    qint64 decompressedBytes = qint64(2) * 1024 * 1024 * 1024; // of one document
    qint64 programmes = 5'000'000;                             // of one document
};

// What one document gave.
struct GuideDocument {
    qint64 programmes = 0; // kept from it
    qint64 channels = 0;   // <channel> elements read
    int unknownZones = 0;  // programmes whose time zone name was unknown and read as UTC
    // Where and why reading stopped before the end, as the end of a sentence ("it is not an
    // XMLTV guide", "it stops at 5,000,000 programmes"); empty when the document was read whole.
    QString stopped;
};

class GuideBuilder {
public:
    explicit GuideBuilder(GuideLimits limits = {});
    ~GuideBuilder();

    // Starts the next document.
    void begin();
    // Its next bytes. False once the document stops here (a limit, or bytes that are no XML
    // guide); what was read before is kept, and end() says why.
    bool feed(QByteArrayView bytes);
    // The document is over.
    GuideDocument end();

    // Every document read: the guide, of everything kept from all of them.
    std::shared_ptr<const Guide> finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};
