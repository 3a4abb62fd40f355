#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QThread>

struct mpv_handle;
struct mpv_render_context;
struct MpvLibrary;

// Renders the player's video through libmpv's software render API on a thread of its own,
// into images the size of the video area that the area only has to copy: however long the
// engine takes over a frame, the window goes on running. Colour conversion and scaling on the
// CPU cost less than the same work on a software GL and need no GL at all.
class VideoRenderer : public QObject {
    Q_OBJECT
public:
    // The render context is made before this returns, so the engine finds it for the next
    // stream.
    VideoRenderer(const MpvLibrary &mpv, mpv_handle *handle);
    // Frees the render context; the engine's handle must still be there.
    ~VideoRenderer() override;

    // The size in pixels of the frames from now on; the current frame is drawn again.
    void setSize(QSize pixels);
    // The latest frame, or a null image while there is none.
    QImage frame() const;

signals:
    void frameReady();

private:
    void render(bool redraw);

    const MpvLibrary &mpv_;
    mpv_render_context *render_ = nullptr;
    QThread thread_;
    QImage spare_; // on the render thread: the frame before the latest, reused once let go

    mutable QMutex mutex_; // guards the two below, shared by both threads
    QSize size_;
    QImage frame_;
};
