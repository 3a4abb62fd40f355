#pragma once

#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "status/ConnectionMonitor.h"

#include <QIcon>
#include <QWidget>

#include <memory>

class Player;
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

    const Controls &controls() const { return c_; }
    Player &player() const { return player_; }
    ConnectionMonitor &monitor() { return monitor_; }
    TuningState &tuning() { return tuning_; }
    Zapping &zapping() { return *zapping_; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void playlistLoaded(const std::shared_ptr<const Playlist> &playlist);
    void playlistFailed(const QString &message);
    void buildControls();
    void wireEvents();
    void load();
    void cmdBackClick();

    Player &player_;
    Controls c_;
    ConnectionMonitor monitor_{c_, player_};
    TuningState tuning_;
    Zapping *zapping_ = nullptr;
    std::unique_ptr<PlaylistLoader> loader_;
    QString loading_;             // the playlist being read, as the user named it
    QString statusBeforeLoading_; // the status line's text from before, back if loading fails
};

// The window's icon, in 16 and 32 pixels; also the application's own.
QIcon appIcon();
