#pragma once

#include "form/Controls.h"
#include "status/ConnectionMonitor.h"

#include <QIcon>
#include <QWidget>

#include <memory>

class ChannelSource;
class Player;

// The one window. It builds the controls as designed, runs start-up and wires each control's
// events to its handler.
class MainForm : public QWidget {
    Q_OBJECT
public:
    // The player's video area becomes the control `videoControl`.
    explicit MainForm(Player &player, QWidget *parent = nullptr);

    const Controls &controls() const { return c_; }
    Player &player() const { return player_; }
    ConnectionMonitor &monitor() { return monitor_; }

private:
    void buildControls();
    void wireEvents();
    void load();
    void cmdBackClick();

    Player &player_;
    std::shared_ptr<const ChannelSource> source_; // where the lists' genres and channels come from
    Controls c_;
    ConnectionMonitor monitor_{c_, player_};
};

// The window's icon, in 16 and 32 pixels; also the application's own.
QIcon appIcon();
