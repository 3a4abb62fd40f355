#pragma once

struct Controls;
class Player;

// The connection monitor: the ticks of `TimeConnection`, which tell from the player's buffering
// count whether the current stream is waiting, connected or failing.
class ConnectionMonitor {
public:
    ConnectionMonitor(const Controls &c, Player &player) : c_(c), player_(player) {}

    // Tuning turns the monitor on for a new stream, or off.
    void start();
    void stop();

    void tick();

private:
    const Controls &c_;
    Player &player_;
};
