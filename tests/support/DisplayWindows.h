#pragma once
// What the X display shows, beyond what Qt knows of: a window or dialog that the media engine
// opened by itself would be one of these.

// Windows shown on the display that belong to none of this application's Qt windows; -1 when
// the display cannot be asked (not X11).
int foreignWindowsShown();
