#include "player/MpvVideoWidget.h"

#include <QKeyEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

namespace {

void *procAddress(void *, const char *name) {
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

// Called on one of libmpv's threads when a new frame is ready.
void onRenderUpdate(void *widget) {
    QMetaObject::invokeMethod(static_cast<MpvVideoWidget *>(widget), "update",
                              Qt::QueuedConnection);
}

} // namespace

MpvVideoWidget::MpvVideoWidget(mpv_handle *mpv, QWidget *parent)
    : QOpenGLWidget(parent), mpv_(mpv) {}

MpvVideoWidget::~MpvVideoWidget() {
    freeRenderContext();
}

void MpvVideoWidget::freeRenderContext() {
    if (render_ == nullptr)
        return;
    makeCurrent();
    mpv_render_context_free(render_);
    render_ = nullptr;
    doneCurrent();
}

void MpvVideoWidget::initializeGL() {
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
    mpv_render_context_set_update_callback(render_, &onRenderUpdate, this);
    // Moving the widget to another window replaces its GL context; the render context goes
    // with the old one and is made anew in the next initializeGL().
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &MpvVideoWidget::freeRenderContext, Qt::DirectConnection);
}

void MpvVideoWidget::enterFullScreen() {
    if (home_ != nullptr)
        return;
    home_ = parentWidget();
    homeGeometry_ = geometry();
    setParent(nullptr);
    showFullScreen();
    setFocus();
}

void MpvVideoWidget::leaveFullScreen() {
    if (home_ == nullptr)
        return;
    setParent(home_);
    setGeometry(homeGeometry_);
    home_ = nullptr;
    show();
}

void MpvVideoWidget::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && home_ != nullptr)
        leaveFullScreen();
    else
        QOpenGLWidget::keyPressEvent(event);
}

void MpvVideoWidget::mouseDoubleClickEvent(QMouseEvent *event) {
    if (home_ != nullptr)
        leaveFullScreen();
    else
        QOpenGLWidget::mouseDoubleClickEvent(event);
}

void MpvVideoWidget::paintGL() {
    if (render_ == nullptr) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), int(width() * ratio),
                       int(height() * ratio), 0};
    int flipY = 1;
    // Waiting for a frame's display time would hold up the window's event loop.
    int blockForTargetTime = 0;
    mpv_render_param params[]{
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
}
