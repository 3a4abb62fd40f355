#pragma once
// Timer writes with the meaning the handlers rely on: writing the state or period a timer already
// has changes nothing (Qt would restart the timer and the ticks would drift).

#include <QTimer>

inline void writeEnabled(QTimer *timer, bool enabled) {
    if (enabled && !timer->isActive())
        timer->start();
    else if (!enabled)
        timer->stop();
}

inline void writeInterval(QTimer *timer, int milliseconds) {
    if (timer->interval() != milliseconds)
        timer->setInterval(milliseconds);
}
