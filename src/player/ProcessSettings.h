#pragma once

// Settings of the whole process that the media engine needs: made once by main() right after
// the application object, and likewise by any other program that plays through MpvPlayer.
void applyProcessSettings();
