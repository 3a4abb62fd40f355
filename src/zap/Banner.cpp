#include "zap/Banner.h"

#include "catalogue/ChannelSource.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int ShownMs = 4000;
constexpr int RefreshMs = 250;
// Parts of the video area's size; the programmes take two lines more.
constexpr qreal HeightShare = 0.2;
constexpr qreal GuideHeightShare = 0.3;
constexpr qreal MarginShare = 0.04;
constexpr qreal BarShare = 0.08; // of a line

bool hasProgrammes(const BannerProgrammes &programmes) {
    return !programmes.now.isEmpty() || !programmes.next.isEmpty();
}

QString nowText(const BannerProgrammes &programmes) {
    return programmes.now.isEmpty() ? QString() : QStringLiteral("Now ") + programmes.now;
}

QString nextText(const BannerProgrammes &programmes) {
    return programmes.next.isEmpty() ? QString() : QStringLiteral("Next ") + programmes.next;
}

} // namespace

Banner::Banner(QWidget *videoArea, std::function<QString()> status,
               std::function<BannerProgrammes()> programmes)
    : QWidget(videoArea), statusOf_(std::move(status)), programmesOf_(std::move(programmes)) {
    setObjectName(QStringLiteral("osdBanner"));
    setFocusPolicy(Qt::NoFocus);
    // Clicks, double-clicks included, go to the video beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide_.setSingleShot(true);
    hide_.setInterval(ShownMs);
    connect(&hide_, &QTimer::timeout, this, &QWidget::hide);
    refresh_.setInterval(RefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &Banner::refresh);
    videoArea->installEventFilter(this);
    hide();
    follow();
}

void Banner::showChannel(const Channel &channel) {
    number_ = channel.number;
    name_ = channel.name;
    logo_ = {};
    present();
}

void Banner::showDigits(const QString &digits) {
    if (digits.isEmpty())
        return;
    number_ = QStringLiteral("CH ") + digits + QStringLiteral("-");
    present();
}

void Banner::showMessage(const QString &message) {
    number_ = message;
    present();
}

void Banner::toggle() {
    if (isVisible()) {
        hide();
        return;
    }
    present();
}

void Banner::setLogo(const QImage &logo) {
    logo_ = logo;
    update();
}

void Banner::present() {
    refresh();
    follow();
    show();
    raise();
    hide_.start();
    refresh_.start();
}

void Banner::refresh() {
    status_ = statusOf_();
    const bool had = hasProgrammes(programmes_);
    programmes_ = programmesOf_();
    if (hasProgrammes(programmes_) != had)
        follow();
    QStringList texts{number_, name_, nowText(programmes_), nextText(programmes_), status_};
    texts.removeAll(QString());
    setAccessibleName(texts.join(QStringLiteral(", ")));
    update();
}

// Along the bottom of the video, whatever its size.
void Banner::follow() {
    const QSize area = parentWidget()->size();
    const int margin = qRound(area.width() * MarginShare);
    const qreal share = hasProgrammes(programmes_) ? GuideHeightShare : HeightShare;
    const int height = qRound(area.height() * share);
    setGeometry(margin, area.height() - height - margin, area.width() - 2 * margin, height);
}

void Banner::hideEvent(QHideEvent *) {
    refresh_.stop();
    hide_.stop();
}

bool Banner::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void Banner::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool guided = hasProgrammes(programmes_);
    // The same unit with or without the programmes' lines.
    const qreal unit = height() / (4.0 * (guided ? GuideHeightShare / HeightShare : 1.0));
    QPainterPath box;
    box.addRoundedRect(rect(), unit / 2, unit / 2);
    painter.fillPath(box, QColor(0, 0, 0, 180));
    QRect text = rect().adjusted(int(unit / 2), int(unit / 4), -int(unit / 2), -int(unit / 4));
    if (!logo_.isNull()) {
        const QSize size = logo_.size().scaled(text.height(), text.height(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(text.topLeft(), size), logo_);
        text.setLeft(text.left() + text.height() + int(unit / 2));
    }
    QFont font = painter.font();
    font.setPixelSize(qMax(8, int(unit * 0.8)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int line = text.height() / (guided ? 4 : 2);
    painter.drawText(QRect(text.left(), text.top(), text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, number_ + QStringLiteral("  ") + name_);
    font.setBold(false);
    font.setPixelSize(qMax(8, int(unit * 0.6)));
    painter.setFont(font);
    if (guided)
        paintProgrammes(painter, QRect(text.left(), text.top() + line, text.width(), 2 * line),
                        line);
    painter.drawText(QRect(text.left(), text.top() + (guided ? 3 : 1) * line, text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, status_);
}

// Now, with its progress beneath, and next.
void Banner::paintProgrammes(QPainter &painter, const QRect &area, int line) {
    const QRect now(area.left(), area.top(), area.width(), line);
    painter.drawText(now, Qt::AlignLeft | Qt::AlignVCenter, nowText(programmes_));
    if (!programmes_.now.isEmpty()) {
        const int bar = qMax(2, qRound(line * BarShare));
        const QRectF track(now.left(), now.bottom() + 1 - bar, now.width(), bar);
        painter.fillRect(track, QColor(255, 255, 255, 60));
        painter.fillRect(QRectF(track.topLeft(), QSizeF(track.width() * programmes_.run, bar)),
                         Qt::white);
    }
    painter.drawText(QRect(area.left(), area.top() + line, area.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, nextText(programmes_));
}
