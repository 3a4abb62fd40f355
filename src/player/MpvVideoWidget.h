#pragma once

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

// Draws the player's video through libmpv's render API. The render context lives with this
// widget's GL context and must be freed before the player's handle is destroyed.
class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    MpvVideoWidget(mpv_handle *mpv, QWidget *parent = nullptr);
    ~MpvVideoWidget() override;

    void freeRenderContext();
    // Shows the video alone on the whole screen; Esc or a double-click brings it back.
    void enterFullScreen();

    void leaveFullScreen();

protected:
    void initializeGL() override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    mpv_handle *mpv_;
    mpv_render_context *render_ = nullptr;
    QWidget *home_ = nullptr; // the window the video returns to from full screen
    QRect homeGeometry_;
};
