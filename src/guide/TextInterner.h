#pragma once
// Keeps each distinct byte string once while a guide is read: a hash set over those already
// kept, which the finished guide does without.

#include "guide/GuideStorage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

class TextInterner {
public:
    enum class Content { Bytes, Utf8 };

    TextInterner(GuideTexts &texts, Content content) : texts_(texts), content_(content) {
        hashes_.resize(std::size_t(texts.size()));
    }

    // The index of the text, kept now if it is new; 0 for the empty text. A text longer than
    // GuideTexts::MaxLength is cut first; UTF-8 that is not valid is repaired.
    qint32 intern(QByteArrayView text);

private:
    // How far a text is looked for in the table.
    static constexpr int MaxProbes = 64;

    void grow();

    GuideTexts &texts_;
    const Content content_;
    QByteArray repaired_;
    std::vector<quint32> slots_; // text index, 0 when free
    PlainArray<quint32> hashes_; // of each text, by index
};
