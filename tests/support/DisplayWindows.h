#pragma once
// What the X display shows, beyond what Qt knows of: a window or dialog that the media engine
// opened by itself would be one of these, and so are the windows of other programs.

#include <QStringList>

// Windows shown on the display that belong to none of this application's Qt windows; -1 when
// the display cannot be asked (not X11).
int foreignWindowsShown();

// The titles of the top-level windows that the process `pid` shows, in no particular order.
QStringList windowTitlesOf(qint64 pid);

class QImage;
class QRect;

// What the screen shows in `area` once it has stopped changing outside `changing` (the clock):
// two looks a tenth of a second apart that agree, or the last look after ten seconds.
QImage settledScreen(const QRect &area, const QRect &changing);
