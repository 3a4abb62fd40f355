#include "epg/ListGuide.h"

#include "epg/GuideClock.h"
#include "epg/ProgrammeText.h"
#include "tuner/TunerList.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// The programme's line against the name's: its font, and the progress bar beneath it.
constexpr qreal LineFontShare = 0.8;
constexpr int BarHeight = 2;
constexpr int BarGap = 1;
constexpr int TrackAlpha = 50;
constexpr int BarAlpha = 170;

QFont lineFont(const QFont &nameFont) {
    QFont font = nameFont;
    font.setBold(false);
    font.setPointSizeF(nameFont.pointSizeF() * LineFontShare);
    return font;
}

int lineHeight(const QFont &nameFont) {
    return QFontMetrics(lineFont(nameFont)).height() + BarGap + BarHeight + BarGap;
}

bool isChannel(const ListItem &item) {
    return item.kind == ListItem::Kind::Channel && item.id >= 0;
}

} // namespace

// Paints a channel's row with its programme on now beneath the name; other rows as ever.
class ProgrammeDelegate : public QStyledItemDelegate {
public:
    ProgrammeDelegate(ListGuide &guide, QObject *parent)
        : QStyledItemDelegate(parent), guide_(guide) {}

    // Channel rows leave room for a programme line; the view sizes every row as its first.
    bool tall = false;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (tall && isChannel(guide_.list_.rows().item(index.row())))
            size.rheight() += lineHeight(option.font);
        return size;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        const ListItem item = guide_.list_.rows().item(index.row());
        const auto now = tall ? guide_.onNow(item) : std::nullopt;
        if (tall)
            guide_.follow(item, now);
        if (!now) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QWidget *widget = option.widget;
        const QStyle *style = widget != nullptr ? widget->style() : QApplication::style();
        // The row's background, selection and focus frame over its whole height...
        QStyleOptionViewItem panel = row;
        panel.text.clear();
        panel.icon = QIcon();
        panel.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
        style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, widget);
        // ...the name and logo above, as a row of their own...
        QStyleOptionViewItem name = row;
        name.rect.setBottom(row.rect.bottom() - lineHeight(row.font));
        name.state &= ~QStyle::State_HasFocus;
        name.palette.setBrush(QPalette::Highlight, Qt::transparent);
        name.backgroundBrush = Qt::NoBrush;
        style->drawControl(QStyle::CE_ItemViewItem, &name, painter, widget);
        // ...and the programme beneath the name.
        // Where the style writes the name: its text rect less the margin it leaves.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &name, widget)
                               .adjusted(margin, 0, -margin, 0);
        const QFont font = lineFont(row.font);
        const QFontMetrics metrics(font);
        const QRect line(text.left(), name.rect.bottom() + 1, text.width(), metrics.height());
        const bool selected = row.state & QStyle::State_Selected;
        const QColor ink = row.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const ChannelGuide &guide = *guide_.guide_;
        painter->save();
        painter->setFont(font);
        painter->setPen(ink);
        const QString said = clockTime(now->start) + u' ' + guide.title(*now);
        painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(said, Qt::ElideRight, line.width()));
        const QRect track(line.left(), line.bottom() + 1 + BarGap, line.width(), BarHeight);
        QColor trackInk = ink;
        trackInk.setAlpha(TrackAlpha);
        painter->fillRect(track, trackInk);
        QColor barInk = ink;
        barInk.setAlpha(BarAlpha);
        const qreal run = runFraction(now->start, now->stop, guide_.clock_.now());
        painter->fillRect(QRect(track.topLeft(), QSize(qRound(track.width() * run), BarHeight)),
                          barInk);
        painter->restore();
    }

private:
    ListGuide &guide_;
};

ListGuide::ListGuide(TunerList &list, const GuideClock &clock)
    : QObject(&list), list_(list), clock_(clock), delegate_(new ProgrammeDelegate(*this, this)),
      alarm_(new GuideAlarm(clock, this)) {
    list_.setItemDelegate(delegate_);
    connect(alarm_, &GuideAlarm::rang, this, [this] { list_.rows().programmesChanged(); });
}

ListGuide::~ListGuide() = default;

void ListGuide::setGuide(std::shared_ptr<const ChannelGuide> guide) {
    guide_ = std::move(guide);
    const bool tall = guide_ != nullptr && guide_->matchedEntries() > 0;
    alarm_->stop();
    if (tall)
        list_.rows().setProgrammeText([this](const ListItem &item) { return programmeText(item); });
    else
        list_.rows().setProgrammeText({});
    if (tall != delegate_->tall) {
        delegate_->tall = tall;
        // The rows' height is measured again.
        list_.doItemsLayout();
    }
}

std::optional<ProgrammeSlot> ListGuide::onNow(const ListItem &item) const {
    if (!isChannel(item) || !guide_->hasChannel(item.id))
        return std::nullopt;
    return guide_->at(item.id, clock_.now());
}

void ListGuide::follow(const ListItem &item, const std::optional<ProgrammeSlot> &now) {
    if (now) {
        alarm_->ringBy(now->stop);
    } else if (isChannel(item) && guide_->hasChannel(item.id)) {
        if (const auto next = guide_->after(item.id, clock_.now()))
            alarm_->ringBy(next->start);
    }
}

QString ListGuide::programmeText(const ListItem &item) const {
    const auto now = onNow(item);
    return now ? timeSpan(now->start, now->stop) + u' ' + guide_->title(*now) : QString();
}
