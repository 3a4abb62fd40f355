#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QThread>

#include <memory>

struct mpv_handle;
struct mpv_render_context;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

// Renders the player's video through libmpv's render API on a thread of its own, with a GL
// context of its own, into images that the video area only has to copy: however long the engine
// takes over a frame (compiling its shaders for the first one, on a slow GL) and wherever the
// video area is shown, the window goes on running.
class VideoRenderer : public QObject {
    Q_OBJECT
public:
    // The render context is made before this returns, so the engine finds it for the first
    // stream.
    explicit VideoRenderer(mpv_handle *mpv);
    // Frees the render context on the render thread, with its GL context current.
    ~VideoRenderer() override;

    // The size in pixels of the frames from now on; the current frame is drawn again.
    void setSize(QSize pixels);
    // The latest frame, or a null image while there is none.
    QImage frame() const;

signals:
    void frameReady();

private:
    void start();
    void render(bool redraw);
    void stop();

    mpv_handle *mpv_;
    QThread thread_;
    QOffscreenSurface *surface_;
    QOpenGLContext *context_;
    // On the render thread only:
    mpv_render_context *render_ = nullptr;
    std::unique_ptr<QOpenGLFramebufferObject> buffer_;
    QImage spare_; // the frame before the latest, reused once the video area has let it go

    mutable QMutex mutex_; // guards the two below, shared by both threads
    QSize size_;
    QImage frame_;
};
