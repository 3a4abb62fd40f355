#include "zap/Banner.h"

#include "catalogue/ChannelSource.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int ShownMs = 4000;
constexpr int RefreshMs = 250;
// Parts of the video area's size.
constexpr qreal HeightShare = 0.2;
constexpr qreal MarginShare = 0.04;

} // namespace

Banner::Banner(QWidget *videoArea, std::function<QString()> status)
    : QWidget(videoArea), statusOf_(std::move(status)) {
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
    QStringList texts{number_, name_, status_};
    texts.removeAll(QString());
    setAccessibleName(texts.join(QStringLiteral(", ")));
    update();
}

// Along the bottom of the video, whatever its size.
void Banner::follow() {
    const QSize area = parentWidget()->size();
    const int margin = qRound(area.width() * MarginShare);
    const int height = qRound(area.height() * HeightShare);
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
    const qreal unit = height() / 4.0;
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
    const QStringList lines{number_ + QStringLiteral("  ") + name_, status_};
    const int line = text.height() / 2;
    painter.drawText(QRect(text.left(), text.top(), text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, lines[0]);
    font.setBold(false);
    font.setPixelSize(qMax(8, int(unit * 0.6)));
    painter.setFont(font);
    painter.drawText(QRect(text.left(), text.top() + line, text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, lines[1]);
}
