#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

// The program's own menu, on a right-click over the window, the Menu key and Shift+F10: opening a
// playlist by file or address, the recent playlists, the built-in channels, marking the channel
// as a favourite and forgetting everything remembered. Screen readers name its items by their
// texts. Its keys (Ctrl+O, Ctrl+L) work without it, in and out of full screen.
class ProgramMenu : public QObject {
    Q_OBJECT
public:
    // What the menu offers when it opens.
    struct Offer {
        QStringList recent;            // the recent playlists, as shown, most recent first
        std::optional<bool> favourite; // whether the channel is a favourite; none: no channel
    };

    ProgramMenu(QWidget *window, std::function<Offer()> offer);

    // At `globalPosition`, or under the focused control when the keyboard opened it.
    void popup(const QPoint &globalPosition);
    void popupForKeyboard();

signals:
    void openPlaylist();
    void openAddress();
    void openRecent(int index);
    void builtIn();
    void toggleFavourite();
    void forgetEverything();

private:
    QMenu *build();

    QWidget *window_;
    std::function<Offer()> offer_;
    QAction *openPlaylist_;
    QAction *openAddress_;
    QMenu *menu_ = nullptr;
};
