#pragma once
// What the running program is to the desktop and to itself: its name, maker, version, icon and
// launcher, and the process settings that the media engine needs. main() sets it up right after
// making the application object, and so does any other program that runs the window as main() does.

#include <QString>

// The version the program reports: the window's own version record.
QString applicationVersion();

void setUpApplication();
