#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

struct mpv_handle;
struct MpvLibrary;
class VideoRenderer;

// Shows the player's video, which a renderer draws on a thread of its own; black until the
// engine has started and a stream plays. The renderer holds libmpv's render context, which
// must be freed before the player's handle.
class MpvVideoWidget : public QWidget {
    Q_OBJECT
public:
    explicit MpvVideoWidget(QWidget *parent = nullptr);
    ~MpvVideoWidget() override;

    void startRendering(const MpvLibrary &mpv, mpv_handle *handle);
    void freeRenderContext();
    // Shows the video alone on the whole screen; Esc or a double-click brings the window back.
    void enterFullScreen();
    void leaveFullScreen();
    // The latest frame, in device pixels; null while there is none.
    QImage frame() const;

signals:
    void fullScreenChanged(bool fullScreen);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void followSize();
    void restoreWindow();

    std::unique_ptr<VideoRenderer> renderer_;
    QPointer<QWidget> fullScreenWindow_; // the window the video covers while full screen
    QRect homeGeometry_;
    QSize homeMinimum_;
    QSize homeMaximum_;
    QPointer<QWidget> homeAbove_; // the sibling stacked just above the video in the window
    QTimer cursorIdle_;
};
