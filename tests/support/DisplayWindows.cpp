#include "support/DisplayWindows.h"

#include <QGuiApplication>
#include <QSet>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

int foreignWindowsShown() {
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr)
        return -1;
    xcb_connection_t *connection = x11->connection();
    QSet<xcb_window_t> own;
    for (QWindow *window : QGuiApplication::allWindows())
        if (window->handle() != nullptr)
            own.insert(xcb_window_t(window->winId()));

    // With no window manager, every top-level window is a child of the root.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (tree == nullptr)
        return -1;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    int foreign = 0;
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (own.contains(children[i]))
            continue;
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, children[i]), nullptr),
            &std::free);
        foreign += attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    return foreign;
}
