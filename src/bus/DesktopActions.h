#pragma once

// What the desktop's media keys and controls ask of the window that the player cannot do alone.
// The window carries them out as its own controls would, so that the list, the labels and the
// slider follow.
class DesktopActions {
public:
    virtual ~DesktopActions() = default;

    // Brings the window to the front.
    virtual void raise() = 0;
    // Closes the window, which ends the program; may take effect once the request is answered.
    virtual void quit() = 0;
    // Tunes the channel `step` rows on in the zap list (back for a negative step).
    virtual void zap(int step) = 0;
    // Moves the volume slider to `step` of its 0-10, through the slider's own handler.
    virtual void setVolumeStep(int step) = 0;
};
