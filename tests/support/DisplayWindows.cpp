#include "support/DisplayWindows.h"

#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t *display() {
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

QList<xcb_window_t> childrenOf(xcb_connection_t *connection, xcb_window_t window) {
    Owned<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
    if (tree == nullptr)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

// The top-level windows on view. With no window manager, every one is a child of the root.
QList<xcb_window_t> windowsShown(xcb_connection_t *connection) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    QList<xcb_window_t> shown;
    const QList<xcb_window_t> children = childrenOf(connection, root);
    for (qsizetype i = 0; i < children.size(); ++i) {
        Owned<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, children[i]), nullptr),
            &std::free);
        if (attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            shown << children[i];
    }
    return shown;
}

QByteArray property(xcb_connection_t *connection, xcb_window_t window, const char *name) {
    Owned<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr),
        &std::free);
    if (atom == nullptr)
        return {};
    Owned<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr),
        &std::free);
    if (reply == nullptr)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace

int foreignWindowsShown() {
    xcb_connection_t *connection = display();
    if (connection == nullptr)
        return -1;
    QSet<xcb_window_t> own;
    for (QWindow *window : QGuiApplication::allWindows())
        if (window->handle() != nullptr)
            own.insert(xcb_window_t(window->winId()));
    int foreign = 0;
    for (const xcb_window_t window : windowsShown(connection))
        foreign += !own.contains(window);
    return foreign;
}

QStringList windowTitlesOf(qint64 pid) {
    xcb_connection_t *connection = display();
    QStringList titles;
    if (connection == nullptr)
        return titles;
    // A window manager puts each window in a frame of its own.
    for (const xcb_window_t shown : windowsShown(connection)) {
        QList<xcb_window_t> windows = childrenOf(connection, shown);
        windows << shown;
        for (const xcb_window_t window : windows) {
            const QByteArray owner = property(connection, window, "_NET_WM_PID");
            if (owner.size() == 4 && *reinterpret_cast<const quint32 *>(owner.constData()) == pid)
                titles << QString::fromUtf8(property(connection, window, "_NET_WM_NAME"));
        }
    }
    return titles;
}

QImage settledScreen(const QRect &area, const QRect &changing) {
    const auto look = [&area] {
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(area);
    };
    const auto agree = [&changing](const QImage &a, const QImage &b) {
        if (a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (!changing.contains(x, y) && a.pixel(x, y) != b.pixel(x, y))
                    return false;
        return true;
    };
    QImage last = look();
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTest::qWait(100);
        QImage now = look();
        if (agree(last, now))
            return now;
        last = std::move(now);
    }
    return last;
}
