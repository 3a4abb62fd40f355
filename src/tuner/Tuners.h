#pragma once
// The two tuners, TV and radio, and the buttons that choose them.

#include "app/Design.h"
#include "tuner/Genres.h"

#include <QStringView>

#include <span>

struct Controls;

struct Tuner {
    QStringView name;        // shown in `lblChannelName` when the tuner is chosen
    QStringView genrePrompt; // the genre picker's text until a genre is picked
    std::span<const QStringView> genres;
};

namespace detail {
constexpr QStringView view(std::u16string_view text) {
    return {text.data(), qsizetype(text.size())};
}
} // namespace detail

// Each tuner is named by its button's caption.
inline constexpr Tuner TvTuner{detail::view(design::control("cmdTv").text), u"Select Genre",
                               TvGenres};
inline constexpr Tuner RadioTuner{detail::view(design::control("cmdRadio").text), u"Radio Genre",
                                  RadioGenres};

// No variable holds the current tuner: it is TV exactly while `cmdTv` is disabled, so radio
// both before the first choice and after the side panel was closed.
const Tuner &currentTuner(const Controls &c);

// The tuner buttons' clicks: show the tuner's genres in the opened side panel, with the genre
// picker empty and disabled until the first click in the list.
void cmdTvClick(const Controls &c);
void cmdRadioClick(const Controls &c);
