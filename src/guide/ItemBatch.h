#pragma once
// What the parser read, copied out for the thread that builds the guide from it: channels and
// programmes in document order, their texts back to back in one buffer.

#include "guide/XmltvParser.h"

#include <string>

class ItemBatch {
public:
    // Bytes after which a batch is handed on.
    static constexpr std::size_t FullBytes = 512 * 1024;

    void clear() { bytes_.clear(); }
    bool full() const { return bytes_.size() >= FullBytes; }
    void add(const ParsedChannel &channel);
    void add(const ParsedProgramme &programme);
    // Gives the items to the handler in order; false once it stopped.
    bool replay(XmltvHandler &handler) const;

private:
    void put(QByteArrayView text);
    void put(quint32 number);

    std::string bytes_;
};
