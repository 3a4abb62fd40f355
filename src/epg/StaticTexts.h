#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

class QPainter;

// Texts laid out once in one font and drawn again and again: the guide's titles, names and times
// repeat over its rows and over every frame, and laying a text out costs more than drawing it.
class StaticTexts {
public:
    void setFont(const QFont &font);
    const QFont &font() const { return font_; }

    // Draws `text` with its top left at `at`, cut at `right`; the painter's font must be font().
    void draw(QPainter &painter, const QPointF &at, qreal right, const QString &text);

private:
    const QStaticText &laidOut(const QString &text);

    QFont font_;
    QHash<QString, QStaticText> texts_; // forgotten all at once when full
};
