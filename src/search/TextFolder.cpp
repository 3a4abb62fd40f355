#include "search/TextFolder.h"

#include <QList>
#include <QString>

namespace {

// A form packs where it starts in the forms, whether its character may combine with the one
// before it, and its size: 23, 1 and 8 bits. The longest form (U+FDFA) takes 33 bytes; the
// forms of all of Unicode would take less than 8 MiB.
constexpr quint32 Unknown = 0xffffffff;
constexpr int StartShift = 9;
constexpr quint32 JoinsBit = 1u << 8;
constexpr quint32 SizeMask = 0xff;

// The kana voicing marks, which make other kana of "カ" and "ハ", are no accents.
constexpr char32_t VoicedMark = 0x3099;
constexpr char32_t SemiVoicedMark = 0x309a;

bool isDropped(char32_t c) {
    return (QChar::script(c) == QChar::Script_Inherited && c != VoicedMark &&
            c != SemiVoicedMark) ||
           QChar::category(c) == QChar::Other_Format;
}

bool isHangulJamo(char32_t c) {
    return (c >= 0x1100 && c <= 0x11ff) || (c >= 0xa960 && c <= 0xa97f) ||
           (c >= 0xd7b0 && c <= 0xd7ff);
}

// Whether the character, decomposed, starts with one that normalization may reorder or compose
// with what comes before it.
bool joinsPrevious(char32_t first) {
    const QChar::Category category = QChar::category(first);
    return QChar::combiningClass(first) != 0 || category == QChar::Mark_NonSpacing ||
           category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing ||
           isHangulJamo(first);
}

} // namespace

void TextFolder::fold(QStringView text, QByteArray &folded) {
    const qsizetype start = folded.size();
    if (foldCharacters(text, false, folded))
        return;
    // Composed first, a separate voicing mark or Hangul vowel folds as the character it makes
    // with the one before it does.
    folded.truncate(start);
    foldCharacters(text.toString().normalized(QString::NormalizationForm_KC), true, folded);
}

bool TextFolder::foldCharacters(QStringView text, bool composed, QByteArray &folded) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            folded.append(foldedAscii(char(unit)));
            continue;
        }
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, text[++i].unicode());
        const quint32 f = form(c);
        if (!composed && (f & JoinsBit) != 0)
            return false;
        folded.append(m_forms.constData() + (f >> StartShift), qsizetype(f & SizeMask));
    }
    return true;
}

quint32 TextFolder::form(char32_t c) {
    const size_t page = c / 256;
    if (page >= m_pages.size())
        m_pages.resize(page + 1);
    if (m_pages[page] == nullptr) {
        m_pages[page] = std::make_unique<Page>();
        m_pages[page]->fill(Unknown);
    }
    quint32 &slot = (*m_pages[page])[c % 256];
    if (slot == Unknown)
        slot = learnForm(c, m_forms);
    return slot;
}

quint32 TextFolder::learnForm(char32_t c, QByteArray &forms) {
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString kept;
    for (const char32_t u : decomposed.toCaseFolded().toUcs4()) {
        if (!isDropped(u))
            kept.append(QString::fromUcs4(&u, 1));
    }
    const QByteArray utf8 = kept.normalized(QString::NormalizationForm_C).toUtf8();
    // A character that folds to nothing leaves nothing to combine.
    const bool joins = !utf8.isEmpty() && joinsPrevious(decomposed.toUcs4().front());
    const quint32 f =
        quint32(forms.size()) << StartShift | (joins ? JoinsBit : 0) | quint32(utf8.size());
    forms += utf8;
    return f;
}
