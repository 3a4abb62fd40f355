#include "player/MpvVideoWidget.h"

#include "player/VideoRenderer.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// Over full-screen video the mouse cursor hides once it has rested this long.
constexpr int CursorIdleMs = 2000;

} // namespace

MpvVideoWidget::MpvVideoWidget(QWidget *parent) : QWidget(parent) {
    // Every paint covers the whole area.
    setAttribute(Qt::WA_OpaquePaintEvent);
    cursorIdle_.setSingleShot(true);
    cursorIdle_.setInterval(CursorIdleMs);
    connect(&cursorIdle_, &QTimer::timeout, this, [this] { setCursor(Qt::BlankCursor); });
}

MpvVideoWidget::~MpvVideoWidget() {
    freeRenderContext();
}

void MpvVideoWidget::startRendering(const MpvLibrary &mpv, mpv_handle *handle) {
    renderer_ = std::make_unique<VideoRenderer>(mpv, handle);
    connect(renderer_.get(), &VideoRenderer::frameReady, this, qOverload<>(&QWidget::update));
    followSize();
}

void MpvVideoWidget::freeRenderContext() {
    renderer_.reset();
}

QImage MpvVideoWidget::frame() const {
    return renderer_ != nullptr ? renderer_->frame() : QImage();
}

// Frames are drawn in device pixels: the area's size times its screen's scale.
void MpvVideoWidget::followSize() {
    if (renderer_ != nullptr)
        renderer_->setSize(size() * devicePixelRatio());
}

void MpvVideoWidget::resizeEvent(QResizeEvent *event) {
    followSize();
    QWidget::resizeEvent(event);
}

// The window moved to a screen of another scale, or its screen's scale changed.
bool MpvVideoWidget::event(QEvent *event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ScreenChangeInternal)
        followSize();
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (event->type() == QEvent::DevicePixelRatioChange)
        followSize();
#endif
    return handled;
}

void MpvVideoWidget::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QImage frame = this->frame();
    if (frame.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), frame);
}

// The video stays in its window, which goes full screen with the video covering the controls:
// a warning box, modal to the window, then shows above the video and not behind it.
void MpvVideoWidget::enterFullScreen() {
    QWidget *home = window();
    if (fullScreenWindow_ != nullptr || home == this)
        return;
    fullScreenWindow_ = home;
    homeGeometry_ = geometry();
    homeMinimum_ = home->minimumSize();
    homeMaximum_ = home->maximumSize();
    const QObjectList siblings = parentWidget()->children();
    for (qsizetype i = siblings.indexOf(this) + 1; i < siblings.size() && !homeAbove_; ++i)
        homeAbove_ = qobject_cast<QWidget *>(siblings[i]);
    home->setMinimumSize(0, 0);
    home->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    home->installEventFilter(this);
    raise();
    setGeometry(home->rect());
    home->showFullScreen();
    home->activateWindow();
    setFocus();
    setMouseTracking(true);
    cursorIdle_.start();
    emit fullScreenChanged(true);
}

void MpvVideoWidget::leaveFullScreen() {
    if (fullScreenWindow_ != nullptr)
        fullScreenWindow_->showNormal();
}

// The window leaves full screen by Esc, a double-click or the window manager; the video then
// goes back to its place.
bool MpvVideoWidget::eventFilter(QObject *watched, QEvent *event) {
    if (watched == fullScreenWindow_) {
        if (event->type() == QEvent::Resize)
            setGeometry(fullScreenWindow_->rect());
        else if (event->type() == QEvent::WindowStateChange && !fullScreenWindow_->isFullScreen())
            restoreWindow();
    }
    return QWidget::eventFilter(watched, event);
}

void MpvVideoWidget::restoreWindow() {
    QWidget *home = fullScreenWindow_;
    fullScreenWindow_ = nullptr;
    home->removeEventFilter(this);
    home->setMinimumSize(homeMinimum_);
    home->setMaximumSize(homeMaximum_);
    setGeometry(homeGeometry_);
    if (homeAbove_ != nullptr)
        stackUnder(homeAbove_);
    homeAbove_ = nullptr;
    cursorIdle_.stop();
    setMouseTracking(false);
    unsetCursor();
    emit fullScreenChanged(false);
}

// While full screen the controls hidden under the video take no focus.
bool MpvVideoWidget::focusNextPrevChild(bool next) {
    return fullScreenWindow_ != nullptr || QWidget::focusNextPrevChild(next);
}

void MpvVideoWidget::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && fullScreenWindow_ != nullptr)
        leaveFullScreen();
    else
        QWidget::keyPressEvent(event);
}

void MpvVideoWidget::mouseDoubleClickEvent(QMouseEvent *event) {
    if (fullScreenWindow_ != nullptr)
        leaveFullScreen();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void MpvVideoWidget::mouseMoveEvent(QMouseEvent *event) {
    if (fullScreenWindow_ != nullptr) {
        unsetCursor();
        cursorIdle_.start();
    }
    QWidget::mouseMoveEvent(event);
}
