#include "player/VideoRenderer.h"

#include <QCoreApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

namespace {

void *procAddress(void *, const char *name) {
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

} // namespace

VideoRenderer::VideoRenderer(mpv_handle *mpv)
    : mpv_(mpv), surface_(new QOffscreenSurface), context_(new QOpenGLContext) {
    surface_->create();
    context_->setFormat(surface_->format());
    context_->create();
    context_->moveToThread(&thread_);
    moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("video renderer"));
    thread_.start();
    QMetaObject::invokeMethod(this, &VideoRenderer::start, Qt::BlockingQueuedConnection);
}

VideoRenderer::~VideoRenderer() {
    QMetaObject::invokeMethod(this, &VideoRenderer::stop, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete context_;
    delete surface_;
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

void VideoRenderer::start() {
    if (!context_->makeCurrent(surface_))
        return;
    mpv_opengl_init_params gl{&procAddress, nullptr};
    mpv_render_param params[]{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&render_, mpv_, params) < 0) {
        render_ = nullptr;
        return;
    }
    // Called on one of the engine's threads when a new frame is due.
    mpv_render_context_set_update_callback(
        render_,
        [](void *renderer) {
            auto *self = static_cast<VideoRenderer *>(renderer);
            QMetaObject::invokeMethod(
                self, [self] { self->render(false); }, Qt::QueuedConnection);
        },
        this);
}

void VideoRenderer::render(bool redraw) {
    if (render_ == nullptr)
        return;
    const bool newFrame = mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !redraw)
        return;
    QSize size;
    {
        QMutexLocker lock(&mutex_);
        size = size_;
    }
    if (size.isEmpty())
        return;
    if (buffer_ == nullptr || buffer_->size() != size)
        buffer_ = std::make_unique<QOpenGLFramebufferObject>(size);
    mpv_opengl_fbo fbo{int(buffer_->handle()), size.width(), size.height(), 0};
    int blockForTargetTime = 0;
    mpv_render_param params[]{
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);

    // Unflipped, the engine's first row is the picture's top, as an image's is.
    QImage image = std::move(spare_);
    if (image.size() != size || !image.isDetached())
        image = QImage(size, QImage::Format_RGBX8888);
    buffer_->bind();
    context_->functions()->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA,
                                        GL_UNSIGNED_BYTE, image.bits());
    buffer_->release();
    {
        QMutexLocker lock(&mutex_);
        spare_ = std::exchange(frame_, std::move(image));
    }
    emit frameReady();
}

void VideoRenderer::stop() {
    context_->makeCurrent(surface_);
    mpv_render_context_free(render_);
    render_ = nullptr;
    buffer_.reset();
    context_->doneCurrent();
    context_->moveToThread(QCoreApplication::instance()->thread());
}
