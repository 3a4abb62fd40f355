#include "menu/ProgramMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace {

// The items, in the menu's order; the recent playlists go after the first two.
struct Item {
    const char *name; // the action's object name
    const char *text;
    QKeySequence::StandardKey key = QKeySequence::UnknownKey;
    const char *shortcut = nullptr; // where Qt names no standard key
};
constexpr Item OpenPlaylistItem{"openPlaylistAction", QT_TR_NOOP("Open Playlist..."),
                                QKeySequence::Open};
constexpr Item OpenAddressItem{"openAddressAction", QT_TR_NOOP("Open Address..."),
                               QKeySequence::UnknownKey, "Ctrl+L"};
constexpr Item BuiltInItem{"builtInAction", QT_TR_NOOP("Built-in Channels")};
constexpr Item AddFavouriteItem{"favouriteAction", QT_TR_NOOP("Add to Favourites")};
constexpr Item RemoveFavouriteItem{"favouriteAction", QT_TR_NOOP("Remove from Favourites")};
constexpr Item ForgetItem{"forgetAction", QT_TR_NOOP("Forget Everything")};

} // namespace

ProgramMenu::ProgramMenu(QWidget *window, std::function<Offer()> offer)
    : QObject(window), window_(window), offer_(std::move(offer)) {
    // The window's own keys, also while the video fills the screen (it is the same window).
    const auto windowKey = [this](const Item &item, auto signal) {
        auto *action = new QAction(tr(item.text), window_);
        action->setObjectName(QLatin1StringView(item.name));
        action->setShortcut(item.shortcut != nullptr
                                ? QKeySequence(QLatin1StringView(item.shortcut))
                                : QKeySequence(item.key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, signal);
        window_->addAction(action);
        return action;
    };
    openPlaylist_ = windowKey(OpenPlaylistItem, &ProgramMenu::openPlaylist);
    openAddress_ = windowKey(OpenAddressItem, &ProgramMenu::openAddress);
    // The Menu key comes as a context menu event from the window system, as a right-click does.
    auto *menuKey = new QAction(window_);
    menuKey->setObjectName(QStringLiteral("menuKeyAction"));
    menuKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    connect(menuKey, &QAction::triggered, this, &ProgramMenu::popupForKeyboard);
    window_->addAction(menuKey);
}

void ProgramMenu::popup(const QPoint &globalPosition) {
    build()->popup(globalPosition);
}

void ProgramMenu::popupForKeyboard() {
    const QWidget *focus = QApplication::focusWidget();
    const QWidget *under = focus != nullptr && focus->window() == window_ ? focus : window_;
    popup(under->mapToGlobal(under->rect().center()));
}

QMenu *ProgramMenu::build() {
    delete menu_;
    const Offer offer = offer_();
    menu_ = new QMenu(window_);
    menu_->setObjectName(QStringLiteral("programMenu"));
    menu_->setAccessibleName(tr("Menu"));
    const auto add = [this](const Item &item, auto signal) {
        QAction *action = menu_->addAction(tr(item.text), this, signal);
        action->setObjectName(QLatin1StringView(item.name));
        return action;
    };
    menu_->addAction(openPlaylist_);
    menu_->addAction(openAddress_);
    if (!offer.recent.isEmpty()) {
        menu_->addSeparator();
        for (qsizetype i = 0; i < offer.recent.size(); ++i) {
            QAction *action =
                menu_->addAction(offer.recent[i], this, [this, i] { emit openRecent(int(i)); });
            action->setObjectName(QStringLiteral("recentAction%1").arg(i));
        }
    }
    menu_->addSeparator();
    add(BuiltInItem, &ProgramMenu::builtIn);
    add(offer.favourite.value_or(false) ? RemoveFavouriteItem : AddFavouriteItem,
        &ProgramMenu::toggleFavourite)
        ->setEnabled(offer.favourite.has_value());
    menu_->addSeparator();
    add(ForgetItem, &ProgramMenu::forgetEverything);
    return menu_;
}
