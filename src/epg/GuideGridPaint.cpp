// What the guide grid paints: only the rows and the hours on view.

#include "catalogue/TuningState.h"
#include "epg/GuideClock.h"
#include "epg/GuideGrid.h"
#include "epg/ProgrammeText.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

struct Colours {
    QRgb background;
    QRgb header;
    QRgb channel;
    QRgb tunedChannel;
    QRgb programme;
    QRgb onNow;
    QRgb tunedNow;
    QRgb selected;
    QRgb text;
    QRgb dimText;
    QRgb nowLine;
};
constexpr Colours Ink{0xff0c0e14, 0xff1c2030, 0xff1a1e2a, 0xff23406a, 0xff252a38, 0xff303850,
                      0xff2d5a94, 0xffd8a531, 0xffffffff, 0xffa9b0c0, 0xffe0403a};

constexpr qreal Gap = 1; // between cells
constexpr int LeastTextWidth = 8;
constexpr GuideTime HalfHour = 30 * 60;

QColor ink(QRgb rgb) {
    return QColor::fromRgba(rgb);
}

} // namespace

void GuideGrid::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, ink(Ink.background));
    if (guide() == nullptr || m_.row <= 0)
        return;
    const GuideTime now = clock_.now();
    // The time line moves on, and the programmes on now change, as the minutes pass.
    alarm_->ringBy(now + 60);
    const GuideTime from = timeAt(m_.column);
    const GuideTime to = timeAt(area.width()) + 1;
    const qint64 top = verticalScrollBar()->value();
    const qsizetype first = top / m_.row;
    const qsizetype last =
        std::min<qsizetype>(rowCount() - 1, (top + area.height() - m_.header) / m_.row);
    paintProgrammes(painter, first, last, from, to, now);
    paintChannels(painter, first, last);
    paintHeader(painter, from, to);
    const qreal x = xOf(now);
    if (x >= m_.column && x < area.width())
        painter.fillRect(QRectF(x - 1, 0, 2, area.height()), ink(Ink.nowLine));
}

void GuideGrid::paintProgrammes(QPainter &painter, qsizetype first, qsizetype last, GuideTime from,
                                GuideTime to, GuideTime now) {
    const ChannelGuide &guide = *this->guide();
    const QRect area = viewport()->rect();
    painter.setClipRect(area.adjusted(m_.column, m_.header, 0, 0));
    const qreal pad = m_.text / 3.0;
    const qreal lower = m_.row - pad - QFontMetricsF(small_.font()).height();
    for (qsizetype row = first; row <= last; ++row) {
        const qint32 entry = entryOf(row);
        if (entry < 0)
            continue;
        const qreal y = qreal(yOf(row));
        for (const ProgrammeSlot &slot : guide.between(entry, from, to)) {
            const qreal x0 = xOf(slot.start);
            const qreal x1 = xOf(slot.stop);
            const bool onNow = slot.start <= now && now < slot.stop;
            if (onNow)
                alarm_->ringBy(slot.stop);
            const bool selected = row == row_ && slot_ && slot_->programme == slot.programme;
            const QRgb fill = selected                    ? Ink.selected
                              : onNow && row == tunedRow_ ? Ink.tunedNow
                              : onNow                     ? Ink.onNow
                                                          : Ink.programme;
            painter.fillRect(QRectF(x0 + Gap, y + Gap, x1 - x0 - 2 * Gap, m_.row - 2 * Gap),
                             ink(fill));
            const qreal left = std::max(x0, qreal(m_.column)) + pad;
            const qreal right = x1 - pad;
            if (right - left < LeastTextWidth)
                continue;
            painter.setFont(bold_.font());
            painter.setPen(ink(selected ? Ink.background : Ink.text));
            bold_.draw(painter, QPointF(left, y + pad), right, guide.title(slot));
            painter.setFont(small_.font());
            painter.setPen(ink(selected ? Ink.background : Ink.dimText));
            small_.draw(painter, QPointF(left, y + lower), right, timeSpan(slot.start, slot.stop));
        }
    }
    painter.setClipping(false);
}

void GuideGrid::paintChannels(QPainter &painter, qsizetype first, qsizetype last) {
    const QRect area = viewport()->rect();
    painter.setClipRect(QRect(0, m_.header, m_.column, area.height() - m_.header));
    const qreal pad = m_.text / 3.0;
    const qreal side = m_.row - 2 * pad; // of the logo's square
    const qreal lower = m_.row - pad - QFontMetricsF(bold_.font()).height();
    for (qsizetype row = first; row <= last; ++row) {
        const qreal y = qreal(yOf(row));
        painter.fillRect(QRectF(0, y + Gap, m_.column - Gap, m_.row - 2 * Gap),
                         ink(row == tunedRow_ ? Ink.tunedChannel : Ink.channel));
        const ListItem item = rows_->item(row);
        const auto channel = tuning_.source().channel(item);
        if (channel && !channel->logo.isEmpty()) {
            const QImage logo = logo_(channel->logo);
            if (!logo.isNull()) {
                const QSizeF size = QSizeF(logo.size()).scaled(side, side, Qt::KeepAspectRatio);
                const QPointF at(pad + (side - size.width()) / 2,
                                 y + pad + (side - size.height()) / 2);
                painter.drawImage(QRectF(at, size), logo);
            }
        }
        const qreal left = pad + side + pad;
        const qreal right = m_.column - pad;
        if (right - left < LeastTextWidth)
            continue;
        if (channel) {
            painter.setFont(small_.font());
            painter.setPen(ink(Ink.dimText));
            small_.draw(painter, QPointF(left, y + pad), right, channel->number);
        }
        painter.setFont(bold_.font());
        painter.setPen(ink(Ink.text));
        bold_.draw(painter, QPointF(left, y + lower), right, item.text);
    }
    painter.setClipping(false);
}

// Time across in half hours, and the day at the left.
void GuideGrid::paintHeader(QPainter &painter, GuideTime from, GuideTime to) {
    const QRect area = viewport()->rect();
    painter.fillRect(QRect(0, 0, area.width(), m_.header), ink(Ink.header));
    painter.setFont(small_.font());
    const qreal top = (m_.header - QFontMetricsF(small_.font()).height()) / 2;
    painter.setClipRect(QRect(m_.column, 0, area.width() - m_.column, m_.header));
    painter.setPen(ink(Ink.dimText));
    for (GuideTime mark = from - (from - origin_) % HalfHour; mark < to; mark += HalfHour) {
        const qreal x = xOf(mark);
        painter.fillRect(QRectF(x, m_.header * 0.6, 1, m_.header * 0.4), ink(Ink.dimText));
        small_.draw(painter, QPointF(x + m_.text / 4.0, top), area.width(), clockTime(mark));
    }
    painter.setClipping(false);
    painter.setPen(ink(Ink.text));
    small_.draw(painter, QPointF(m_.text / 3.0, top), m_.column, dayText(from));
}
