#include "epg/GuideGrid.h"

#include "catalogue/TuningState.h"
#include "epg/GuideClock.h"
#include "epg/ProgrammeText.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>

#include <algorithm>

namespace {

// Sizes as parts of the video area's height, or of the text's size.
constexpr qreal TextShare = 0.026;
constexpr int LeastText = 12;
constexpr qreal HeaderShare = 1.8;
constexpr qreal RowShare = 2.8;
constexpr qreal ColumnShare = 13;
constexpr qreal PanelShare = 6.5;
constexpr qreal MinuteShare = 1 / 3.2;
constexpr qreal SmallShare = 0.85; // times and numbers against titles and names

constexpr GuideTime HalfHour = 30 * 60;
// The span that the grid scrolls over, at most, either side of the time now: a guide that
// claims years would make a grid wider than a scroll bar can count.
constexpr qint64 LongestReachDays = 31;

GuideTime dayStart(GuideTime time) {
    return QDateTime::fromSecsSinceEpoch(time).date().startOfDay().toSecsSinceEpoch();
}

GuideTime nextDayStart(GuideTime time) {
    return QDateTime::fromSecsSinceEpoch(time).date().addDays(1).startOfDay().toSecsSinceEpoch();
}

} // namespace

GuideGrid::GuideGrid(QWidget *videoArea, const TuningState &tuning, const GuideClock &clock,
                     std::function<QImage(const QString &)> logo)
    : QAbstractScrollArea(videoArea), tuning_(tuning), clock_(clock), logo_(std::move(logo)),
      alarm_(new GuideAlarm(clock, this)), panel_(new QLabel(this)) {
    setObjectName(QStringLiteral("grdGuide"));
    setAccessibleName(QStringLiteral("Programme guide"));
    setFrameShape(QFrame::NoFrame);
    // Time scrolls by the keys and the wheel; a bar across would lie under the details.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // Full screen hides the video's cursor when the mouse rests; over the guide it stays.
    setCursor(Qt::ArrowCursor);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(12, 14, 20));
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    // Every pixel of the view is painted.
    viewport()->setAutoFillBackground(false);
    panel_->setWordWrap(true);
    panel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panel_->setTextFormat(Qt::RichText);
    connect(alarm_, &GuideAlarm::rang, viewport(), qOverload<>(&QWidget::update));
    connect(&tuning_, &TuningState::zapListChanged, this, &GuideGrid::rowsChanged);
    connect(&tuning_, &TuningState::guideChanged, this, &GuideGrid::guideChanged);
    connect(&tuning_, &TuningState::tuned, this, &GuideGrid::tunedChanged);
    videoArea->installEventFilter(this);
    hide();
    guideChanged();
    rowsChanged();
}

GuideGrid::~GuideGrid() = default;

void GuideGrid::open() {
    if (guide() == nullptr || end_ <= origin_)
        return;
    focusBefore_ = QApplication::focusWidget();
    follow();
    show();
    raise();
    layOut();
    const GuideTime now = clock_.now();
    const qsizetype row = tunedRow_ >= 0 ? tunedRow_ : rowCount() > 0 ? 0 : -1;
    // The tuned channel's row in the middle, and now near the left.
    verticalScrollBar()->setValue(int(row * m_.row - (rowsOnView() / 2) * m_.row));
    showTime(now);
    anchor_ = now;
    selectAt(row, now);
    setFocus();
}

void GuideGrid::close() {
    if (!isOpen())
        return;
    hide();
    alarm_->stop();
    if (focusBefore_ != nullptr && focusBefore_->isVisible())
        focusBefore_->setFocus();
    else
        parentWidget()->setFocus();
}

QString GuideGrid::details() const {
    return accessibleDescription();
}

QPoint GuideGrid::pointOf(qsizetype row, GuideTime time) const {
    return {qRound(xOf(time)), int(yOf(row) + m_.row / 2)};
}

const ChannelGuide *GuideGrid::guide() const {
    return tuning_.guide().get();
}

qsizetype GuideGrid::rowCount() const {
    return rows_ != nullptr ? rows_->size() : 0;
}

qint32 GuideGrid::entryOf(qsizetype row) const {
    const ChannelGuide *guide = this->guide();
    if (guide == nullptr || row < 0 || row >= rowCount())
        return -1;
    const ListItem item = rows_->item(row);
    if (item.kind != ListItem::Kind::Channel || !guide->hasChannel(item.id))
        return -1;
    return item.id;
}

// The last programme that ends by `time`.
std::optional<ProgrammeSlot> GuideGrid::before(qint32 entry, GuideTime time) const {
    const std::vector<ProgrammeSlot> found = guide()->between(entry, origin_, time);
    if (found.empty() || found.back().stop > time)
        return std::nullopt;
    return found.back();
}

bool GuideGrid::isOnNow(const ProgrammeSlot &slot) const {
    const GuideTime now = clock_.now();
    return slot.start <= now && now < slot.stop;
}

qreal GuideGrid::xOf(GuideTime time) const {
    return m_.column + qreal(time - origin_) / 60 * m_.minute - horizontalScrollBar()->value();
}

GuideTime GuideGrid::timeAt(qreal x) const {
    return origin_ + GuideTime((x - m_.column + horizontalScrollBar()->value()) / m_.minute * 60);
}

qint64 GuideGrid::yOf(qsizetype row) const {
    return m_.header + qint64(row) * m_.row - verticalScrollBar()->value();
}

int GuideGrid::rowsOnView() const {
    return std::max(1, (viewport()->height() - m_.header) / std::max(1, m_.row));
}

void GuideGrid::follow() {
    setGeometry(parentWidget()->rect());
}

void GuideGrid::rowsChanged() {
    rows_ = tuning_.zapList();
    row_ = rowCount() == 0 ? -1 : std::clamp<qsizetype>(row_, 0, rowCount() - 1);
    tunedChanged();
    layOut();
    selectAt(row_, anchor_);
}

void GuideGrid::guideChanged() {
    const ChannelGuide *guide = this->guide();
    // Programmes of another guide are told apart by their place in it.
    slot_.reset();
    if (guide == nullptr || guide->lastStop() <= guide->firstStart()) {
        origin_ = end_ = 0;
        close();
        return;
    }
    const GuideTime now = clock_.now();
    const GuideTime reach = LongestReachDays * 24 * 3600;
    origin_ = dayStart(std::clamp(guide->firstStart(), now - reach, now));
    end_ = nextDayStart(std::clamp(guide->lastStop() - 1, now, now + reach));
    layOut();
    selectAt(row_, anchor_);
}

void GuideGrid::tunedChanged() {
    const auto &current = tuning_.current();
    tunedRow_ = rows_ != nullptr && current ? rows_->find(current->item) : -1;
    viewport()->update();
}

void GuideGrid::layOut() {
    const int height = parentWidget()->height();
    m_.text = std::max(LeastText, qRound(height * TextShare));
    m_.header = qRound(m_.text * HeaderShare);
    m_.row = qRound(m_.text * RowShare);
    m_.column = qRound(m_.text * ColumnShare);
    m_.panel = qRound(m_.text * PanelShare);
    m_.minute = m_.text * MinuteShare;
    setViewportMargins(0, 0, 0, m_.panel);
    const QRect view = viewport()->geometry();
    panel_->setGeometry(view.left() + m_.text / 2, view.bottom() + 1, view.width() - m_.text,
                        m_.panel);
    QFont font = panel_->font();
    font.setPixelSize(m_.text);
    panel_->setFont(font);
    panel_->setContentsMargins(0, m_.text / 3, 0, 0);
    font = this->font();
    font.setPixelSize(m_.text);
    font.setBold(true);
    bold_.setFont(font);
    font.setBold(false);
    font.setPixelSize(qRound(m_.text * SmallShare));
    small_.setFont(font);
    QScrollBar *down = verticalScrollBar();
    down->setSingleStep(m_.row);
    down->setPageStep(std::max(1, view.height() - m_.header));
    down->setRange(
        0, int(std::max<qint64>(0, qint64(rowCount()) * m_.row - (view.height() - m_.header))));
    QScrollBar *across = horizontalScrollBar();
    across->setSingleStep(qRound(30 * m_.minute));
    across->setPageStep(std::max(1, view.width() - m_.column));
    const qint64 width = qRound64(qreal(end_ - origin_) / 60 * m_.minute);
    across->setRange(0, int(std::max<qint64>(0, width - (view.width() - m_.column))));
    viewport()->update();
}

void GuideGrid::select(qsizetype row, std::optional<ProgrammeSlot> slot, bool keepAnchor) {
    row_ = row;
    slot_ = std::move(slot);
    if (row_ >= 0) {
        // Into view: the row whole, the programme from its start where it lies off view.
        QScrollBar *down = verticalScrollBar();
        const qint64 top = qint64(row_) * m_.row;
        const int rows = viewport()->height() - m_.header;
        if (top < down->value())
            down->setValue(int(top));
        else if (top + m_.row > down->value() + rows)
            down->setValue(int(top + m_.row - rows));
        if (slot_ && (xOf(slot_->stop) <= m_.column || xOf(slot_->start) >= viewport()->width()))
            showTime(slot_->start);
        if (slot_ && !keepAnchor)
            anchor_ = std::max(slot_->start, timeAt(m_.column));
    }
    refreshDetails();
    viewport()->update();
}

void GuideGrid::selectAt(qsizetype row, GuideTime time) {
    const qint32 entry = entryOf(row);
    select(row, entry >= 0 ? guide()->at(entry, time) : std::nullopt, true);
}

void GuideGrid::moveAlong(int direction) {
    const qint32 entry = entryOf(row_);
    if (entry < 0)
        return;
    const auto to = direction > 0 ? guide()->after(entry, slot_ ? slot_->stop - 1 : anchor_)
                                  : before(entry, slot_ ? slot_->start : anchor_);
    if (to)
        select(row_, to, false);
}

void GuideGrid::moveRows(qsizetype by, bool page) {
    if (rowCount() == 0)
        return;
    const qsizetype to = std::clamp<qsizetype>(row_ + by, 0, rowCount() - 1);
    // A page keeps the selection where it is on screen, as far as the rows go.
    if (page)
        verticalScrollBar()->setValue(
            int(verticalScrollBar()->value() + qint64(to - row_) * m_.row));
    selectAt(to, anchor_);
}

// The half hour before `time` at the left.
void GuideGrid::showTime(GuideTime time) {
    const GuideTime mark = time - HalfHour - (time - origin_) % HalfHour;
    horizontalScrollBar()->setValue(qRound(qreal(mark - origin_) / 60 * m_.minute));
}

void GuideGrid::chooseSelected() {
    if (slot_ && isOnNow(*slot_))
        emit chosen(row_);
}

void GuideGrid::refreshDetails() {
    QStringList lines;
    QString html;
    if (row_ >= 0) {
        const QString channel = rows_->item(row_).text;
        if (!slot_) {
            lines = QStringList{channel, QStringLiteral("No programme at this time")};
            html = QStringLiteral("<b>%1</b><br>%2").arg(lines[0].toHtmlEscaped(), lines[1]);
        } else {
            const GuideProgramme p = guide()->details(*slot_);
            QStringList about{dayText(p.start) + QStringLiteral(", ") + timeSpan(p.start, p.stop),
                              channel, p.episode, p.categories.join(QStringLiteral(", "))};
            about.removeAll(QString());
            const QString line = about.join(QStringLiteral(" · "));
            lines = QStringList{p.title, line, p.subTitle, p.description};
            lines.removeAll(QString());
            html = QStringLiteral("<b>%1</b><br>%2")
                       .arg(p.title.toHtmlEscaped(), line.toHtmlEscaped());
            if (!p.subTitle.isEmpty())
                html += QStringLiteral("<br><i>%1</i>").arg(p.subTitle.toHtmlEscaped());
            if (!p.description.isEmpty())
                html += QStringLiteral("<br>%1").arg(p.description.toHtmlEscaped());
        }
    }
    panel_->setText(html);
    setAccessibleDescription(lines.join(u'\n'));
}

bool GuideGrid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        follow();
    return QAbstractScrollArea::eventFilter(watched, event);
}

void GuideGrid::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveAlong(-1);
        break;
    case Qt::Key_Right:
        moveAlong(1);
        break;
    case Qt::Key_Up:
        moveRows(-1, false);
        break;
    case Qt::Key_Down:
        moveRows(1, false);
        break;
    case Qt::Key_PageUp:
        moveRows(-rowsOnView(), true);
        break;
    case Qt::Key_PageDown:
        moveRows(rowsOnView(), true);
        break;
    case Qt::Key_Home:
        anchor_ = clock_.now();
        showTime(anchor_);
        selectAt(row_, anchor_);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        chooseSelected();
        break;
    case Qt::Key_Escape:
    case Qt::Key_G:
        close();
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void GuideGrid::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || at.y() < m_.header)
        return;
    const qsizetype row = (at.y() - m_.header + verticalScrollBar()->value()) / m_.row;
    if (row >= rowCount())
        return;
    if (at.x() >= m_.column)
        anchor_ = timeAt(at.x());
    selectAt(row, anchor_);
    if (at.x() >= m_.column)
        chooseSelected();
}

// A double click on the video switches full screen; on the guide it is two clicks.
void GuideGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    mousePressEvent(event);
}

void GuideGrid::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    layOut();
}

void GuideGrid::scrollContentsBy(int, int) {
    viewport()->update();
}
