#pragma once

#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "status/ConnectionMonitor.h"

#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <memory>

class ChannelGuide;
class GuideLoader;
class Player;
class Remembering;
class Zapping;
class Playlist;
class PlaylistLoader;

// The one window. It builds the controls as designed, runs start-up and wires each control's
// events to its handler.
class MainForm : public QWidget {
    Q_OBJECT
public:
    // The player's video area becomes the control `videoControl`.
    explicit MainForm(Player &player, QWidget *parent = nullptr);
    ~MainForm() override;

    // Shows a playlist's channels in place of the current list: a local path, a file: URL or an
    // http(s) address. It is read off the GUI thread; the status line says so meanwhile, and a
    // message box says why when it fails, the list shown before staying.
    void openPlaylist(const QString &source);
    // Guides read for every playlist opened, before those that it names itself: local paths,
    // file: URLs or http(s) addresses. Once a playlist is shown its guides are read off the GUI
    // thread; the status line says so and then what came of it, a guide that fails leaving the
    // playlist as it is.
    void setGuides(const QStringList &sources);
    // Opens the playlist opened last, when the user did not choose the built-in channels since,
    // with its guides unless `guides` names others.
    void openLastPlaylist(const QStringList &guides);
    // The built-in channels in place of a playlist's, also at the next start.
    void showBuiltIn();

    const Controls &controls() const { return c_; }
    Player &player() const { return player_; }
    ConnectionMonitor &monitor() { return monitor_; }
    TuningState &tuning() { return tuning_; }
    Zapping &zapping() { return *zapping_; }
    Remembering &remembering() { return *remembering_; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // A right-click anywhere on the window, or the Menu key, opens the program's menu.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void playlistLoaded(const std::shared_ptr<const Playlist> &playlist);
    void playlistFailed(const QString &message);
    void readGuides(const std::shared_ptr<const Playlist> &playlist);
    void guideLoaded(const std::shared_ptr<const ChannelGuide> &guide, const QString &summary,
                     const QStringList &problems);
    void guideFailed(const QString &message);
    void showChannels();
    void buildControls();
    void wireEvents();
    void load();
    void cmdBackClick();

    Player &player_;
    Controls c_;
    ConnectionMonitor monitor_{c_, player_};
    TuningState tuning_;
    Zapping *zapping_ = nullptr;
    Remembering *remembering_ = nullptr;
    std::unique_ptr<PlaylistLoader> loader_;
    QString loading_;             // the playlist being read, as the user named it
    QString statusBeforeLoading_; // the status line's text from before, back if loading fails
    std::unique_ptr<GuideLoader> guideLoader_; // made for the first playlist with guides
    QStringList guides_;                       // read for every playlist
};

// The window's icon, in 16 and 32 pixels; also the application's own.
QIcon appIcon();
