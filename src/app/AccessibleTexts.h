#pragma once
// What a screen reader says for each control of the window. An empty name leaves the control's
// own text as its name: labels are read as the text they show at the time, buttons by their
// caption. Where the description is empty, the tooltip serves for it.

#include <array>
#include <string_view>

namespace design {

struct AccessibleText {
    std::string_view control;
    std::u16string_view name;
    std::u16string_view description;
};

constexpr std::array<AccessibleText, 18> AccessibleTexts{{
    {"cmdBack", u"Close the panel", u"Hides the genres and channels"},
    {"lstTuner", u"Genres and channels", u"Pick a genre, then a channel"},
    {"cboGenre", u"Genre", u""},
    {"cmdFS", u"Full screen", u"Shows the video on the whole screen; Escape brings it back"},
    {"sldMainVolume", u"Volume", u"From 0, silent, to 10"},
    {"cmdRadio", u"", u"Shows the radio genres"},
    {"cmdTv", u"", u"Shows the TV genres"},
    {"lblBuffering", u"", u"Connection status"},
    {"Shape3", u"Side panel", u""},
    {"lblIndexNo", u"", u"Channel number"},
    {"lblTime", u"", u"Time"},
    {"lblChannelName", u"", u"Channel name"},
    {"Line1", u"Separator", u""},
    {"Label1", u"", u"Slogan"},
    {"Image1", u"RURE DIVU logo", u""},
    {"videoControl", u"Video", u""},
    {"Shape2", u"Video area", u""},
    {"Shape1", u"Bottom bar", u""},
}};

} // namespace design
