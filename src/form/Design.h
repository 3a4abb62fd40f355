#pragma once
// The window as designed: every control's place, size, tab place and fixed texts, in one table.
// Places and sizes are in twips (1/1440 inch), measured from the client area's top left corner.

#include <array>
#include <string_view>

namespace design {

constexpr int TwipsPerPixel = 15;

// Rounds to the nearest pixel; Qt's device-independent pixels take care of HiDPI screens.
constexpr int px(int twips) {
    return (2 * twips + TwipsPerPixel) / (2 * TwipsPerPixel);
}

// The window's outer width in twips includes a fixed frame of 45 twips at each side.
constexpr int FrameTwips = 45;
constexpr int CollapsedWidth = 11040;
constexpr int ExpandedWidth = 14235;
constexpr int ClientHeight = 8745;

constexpr std::u16string_view Title = u"RURE DIVU";
constexpr std::string_view Company = "Brelvonix";
constexpr std::string_view Version = "1.1.0";

enum class Kind { Button, Timer, List, Combo, Slider, Label, Shape, Line, Picture, Player };

struct ControlDesign {
    std::string_view name;
    Kind kind;
    int left, top, width,
        height;               // twips; a line runs from (left, top) to (left + width, top + height)
    int tabIndex;             // -1: takes no place in the tab order
    std::u16string_view text; // caption, initial text or list text
    std::u16string_view toolTip;
};

// In the window's own order, which is also the stacking order: the first row lies in front.
constexpr std::array<ControlDesign, 22> Controls{{
    {"Command1", Kind::Button, 11400, 7800, 2415, 375, 14, u"ORBA online Ziverire", u""},
    {"TimeConnection", Kind::Timer, 0, 0, 0, 0, -1, u"", u""},
    {"timeControl", Kind::Timer, 0, 0, 0, 0, -1, u"", u""},
    {"cmdBack", Kind::Button, 11400, 8280, 2415, 375, 12, u"<<<", u"Close the panel"},
    {"lstTuner", Kind::List, 11355, 720, 2415, 6510, 11, u"", u"Select Options & Channels"},
    {"cboGenre", Kind::Combo, 11350, 240, 2415, 315, 10, u"Select Tuner",
     u"Assisting drop down option box"},
    {"cmdSettings", Kind::Button, 2880, 7680, 1095, 375, 9, u"Settings", u""},
    {"cmdFS", Kind::Button, 1680, 7680, 1095, 375, 8, u"FullScreen", u""},
    {"sldMainVolume", Kind::Slider, 1680, 8160, 2295, 375, 4, u"", u""},
    {"cmdRadio", Kind::Button, 360, 8160, 1095, 375, 3, u"Radio Tuner", u""},
    {"cmdTv", Kind::Button, 360, 7680, 1095, 375, 2, u"TV Tuner", u""},
    {"lblBuffering", Kind::Label, 7320, 6840, 3255, 375, 13, u"", u""},
    {"Shape3", Kind::Shape, 10920, 0, 3195, 8775, -1, u"", u""},
    {"lblIndexNo", Kind::Label, 9360, 8160, 1215, 255, 7, u"CH: - - - - -", u""},
    {"lblTime", Kind::Label, 9240, 7680, 1455, 255, 6, u"00:00 Hrs", u""},
    {"lblChannelName", Kind::Label, 5160, 7845, 3735, 375, 5, u"Velmora Cable TV", u""},
    {"Line1", Kind::Line, 4200, 7560, 0, 1080, -1, u"", u""},
    {"Label1", Kind::Label, 1920, 6840, 2535, 255, 1, u"Chaguo la Wavelmori", u""},
    {"Image1", Kind::Picture, 240, 6600, 1455, 720, -1, u"", u""},
    {"videoControl", Kind::Player, 360, 120, 10185, 6375, 0, u"", u"ORBA Video control"},
    {"Shape2", Kind::Shape, 120, 0, 10695, 7455, -1, u"", u""},
    {"Shape1", Kind::Shape, 120, 7560, 10710, 1095, -1, u"", u""},
}};

consteval const ControlDesign &control(std::string_view name) {
    for (const auto &d : Controls)
        if (d.name == name)
            return d;
    throw "no such control";
}

// Colours as RGB; the window frame and highlighted-text system colours in the standard scheme.
constexpr unsigned FormBackground = 0xC0C0C0;
constexpr unsigned WindowFrame = 0x000000;
constexpr unsigned HighlightedText = 0xFFFFFF;
constexpr unsigned BottomBar = 0xC0C000;
constexpr unsigned ListText = 0xFF0000;
constexpr unsigned ChannelNameText = 0x0000C0;

// Initial timer intervals in milliseconds; both timers run at design.
constexpr int TimeConnectionInterval = 500;
constexpr int TimeControlInterval = 10;

// The volume slider's range and steps.
constexpr int VolumeMin = 0;
constexpr int VolumeMax = 10;
constexpr int VolumeSmallChange = 1;
constexpr int VolumeLargeChange = 5;

} // namespace design
