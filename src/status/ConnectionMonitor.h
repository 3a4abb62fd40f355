#pragma once

#include <QPointer>

struct Controls;
class Player;
class QMessageBox;

// The connection monitor: the ticks of `TimeConnection`, which tell from the player's buffering
// count whether the current stream is waiting, connected or failing.
class ConnectionMonitor {
public:
    ConnectionMonitor(const Controls &c, Player &player) : c_(c), player_(player) {}

    // Tuning turns the monitor on for a new stream, which may be warned about once, or off.
    void start();
    void stop();

    void tick();

private:
    void warn();
    void closeWarning();

    const Controls &c_;
    Player &player_;
    bool warned_ = false;           // the current tuning has had its warning
    QPointer<QMessageBox> warning_; // the warning while it is open
};
