#pragma once
// The form in which a search compares texts, so that "Tele" finds "Télé 5": each character
// compatibility-decomposed (NFKD: "ﬁ" is "fi", "Ｋ" is "K", "²" is "2"), case-folded as
// QString::toCaseFolded() does, stripped of the diacritics that Unicode gives no script of their
// own (acute, grave, cedilla, Greek tonos, Cyrillic breve, Arabic harakat...) and of invisible
// format characters (byte-order mark, zero-width joiners, soft hyphen), and composed again (NFC).
// Marks that belong to a script (Devanagari vowel signs, Hebrew points, Thai tone marks) and the
// kana voicing marks ("ガ" is not "カ") stay, so those scripts match themselves, ignoring case
// where they have one.

#include <QByteArray>
#include <QStringView>

#include <array>
#include <memory>
#include <vector>

// An ASCII character folded; ASCII texts fold character by character to ASCII.
constexpr char foldedAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

class TextFolder {
public:
    // Appends the folded form of `text` to `folded`, in UTF-8.
    void fold(QStringView text, QByteArray &folded);

private:
    // Folds character by character; false, with part of `text` appended, at a character that may
    // combine with the one before it, unless `composed` says that the text is composed already.
    bool foldCharacters(QStringView text, bool composed, QByteArray &folded);
    // A character's folded form, worked out once: folding one takes two normalizations, and the
    // hundreds of thousands of titles of a playlist are written with a few hundred characters.
    quint32 form(char32_t c);
    static quint32 learnForm(char32_t c, QByteArray &forms);

    using Page = std::array<quint32, 256>;
    std::vector<std::unique_ptr<Page>> m_pages; // by the character's number / 256, made when met
    QByteArray m_forms;                         // the folded forms, UTF-8, one after another
};
