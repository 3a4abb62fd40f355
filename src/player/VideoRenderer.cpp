#include "player/VideoRenderer.h"

#include "player/MpvLibrary.h"

#include <cstdlib>

namespace {

// Lines and buffers aligned for the engine's vector code; it copies whole frames otherwise.
constexpr qsizetype Alignment = 64;

// A frame in the byte order of the engine's "bgr0", which is QImage's RGB32 on little-endian
// machines.
QImage alignedImage(QSize size) {
    const qsizetype stride = (size.width() * 4 + Alignment - 1) / Alignment * Alignment;
    auto *pixels = static_cast<uchar *>(std::aligned_alloc(Alignment, stride * size.height()));
    if (pixels == nullptr)
        return {};
    return QImage(pixels, size.width(), size.height(), stride, QImage::Format_RGB32, std::free,
                  pixels);
}

} // namespace

VideoRenderer::VideoRenderer(const MpvLibrary &mpv, mpv_handle *handle) : mpv_(mpv) {
    mpv_render_param params[]{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_.renderContextCreate(&render_, handle, params) < 0) {
        render_ = nullptr;
        return;
    }
    moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("video renderer"));
    thread_.start();
    // Called on one of the engine's threads when a new frame is due.
    mpv_.renderContextSetUpdateCallback(
        render_,
        [](void *renderer) {
            auto *self = static_cast<VideoRenderer *>(renderer);
            QMetaObject::invokeMethod(
                self, [self] { self->render(false); }, Qt::QueuedConnection);
        },
        this);
}

VideoRenderer::~VideoRenderer() {
    if (render_ == nullptr)
        return;
    // Once this returns the engine no longer calls in, so nothing reaches the renderer while it
    // goes; libmpv serialises it with the callback's calls.
    mpv_.renderContextSetUpdateCallback(render_, nullptr, nullptr);
    thread_.quit();
    thread_.wait();
    // With the render thread gone, no other call can run at the same time.
    mpv_.renderContextFree(render_);
}

void VideoRenderer::setSize(QSize pixels) {
    {
        QMutexLocker lock(&mutex_);
        size_ = pixels;
    }
    QMetaObject::invokeMethod(
        this, [this] { render(true); }, Qt::QueuedConnection);
}

QImage VideoRenderer::frame() const {
    QMutexLocker lock(&mutex_);
    return frame_;
}

void VideoRenderer::render(bool redraw) {
    if (render_ == nullptr)
        return;
    const bool newFrame = mpv_.renderContextUpdate(render_) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !redraw)
        return;
    QSize size;
    {
        QMutexLocker lock(&mutex_);
        size = size_;
    }
    if (size.isEmpty())
        return;
    QImage image = std::move(spare_);
    if (image.size() != size || !image.isDetached())
        image = alignedImage(size);
    if (image.isNull())
        return;
    int pixels[]{size.width(), size.height()};
    size_t stride = image.bytesPerLine();
    mpv_render_param params[]{
        {MPV_RENDER_PARAM_SW_SIZE, pixels},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>("bgr0")},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_.renderContextRender(render_, params) < 0)
        return;
    {
        QMutexLocker lock(&mutex_);
        spare_ = std::exchange(frame_, std::move(image));
    }
    emit frameReady();
}
