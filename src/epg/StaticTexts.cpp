#include "epg/StaticTexts.h"

#include <QPainter>

namespace {

// More than a screen's texts of a few frames.
constexpr qsizetype MostTexts = 4096;

} // namespace

void StaticTexts::setFont(const QFont &font) {
    if (font == font_)
        return;
    font_ = font;
    texts_.clear();
}

const QStaticText &StaticTexts::laidOut(const QString &text) {
    auto found = texts_.find(text);
    if (found == texts_.end()) {
        if (texts_.size() >= MostTexts)
            texts_.clear();
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), font_);
        found = texts_.insert(text, laid);
    }
    return *found;
}

void StaticTexts::draw(QPainter &painter, const QPointF &at, qreal right, const QString &text) {
    const QStaticText &laid = laidOut(text);
    if (at.x() + laid.size().width() <= right) {
        painter.drawStaticText(at, laid);
        return;
    }
    painter.save();
    painter.setClipRect(QRectF(at.x(), at.y(), right - at.x(), laid.size().height()),
                        Qt::IntersectClip);
    painter.drawStaticText(at, laid);
    painter.restore();
}
