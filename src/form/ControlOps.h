#pragma once
// Control writes with the meaning the handlers rely on. Writing the state or period a timer
// already has changes nothing (Qt would restart the timer and the ticks would drift); writing the
// window's width keeps its left edge and height.

#include "form/Controls.h"
#include "form/Design.h"

#include <QTimer>
#include <QWidget>

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

// The window's outer width in twips, frame included.
inline void writeFormWidth(const Controls &c, int twips) {
    c.mainForm->setFixedWidth(design::px(twips - 2 * design::FrameTwips));
}
