#pragma once

#include "app/Controls.h"
#include "status/ConnectionMonitor.h"

#include <QIcon>
#include <QWidget>

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
    Controls c_;
    ConnectionMonitor monitor_{c_, player_};
};

// The window's icon, in 16 and 32 pixels; also the application's own.
QIcon appIcon();

// Writes the window's outer width, in twips; the left edge and the height stay.
void writeFormWidth(const Controls &c, int twips);
