#include "tuner/Tuners.h"

#include "app/Controls.h"
#include "app/Design.h"
#include "app/MainForm.h"
#include "tuner/GenreCombo.h"
#include "tuner/Genres.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr QStringView view(std::u16string_view text) {
    return {text.data(), qsizetype(text.size())};
}

// Each tuner is named by its button's caption.
constexpr Tuner TvTuner{view(design::control("cmdTv").text), u"Select Genre", TvGenres};
constexpr Tuner RadioTuner{view(design::control("cmdRadio").text), u"Radio Genre", RadioGenres};

void chooseTuner(const Controls &c, const Tuner &tuner, QPushButton *chosen, QPushButton *other) {
    c.cboGenre->clearAll();
    c.lblChannelName->setText(tuner.name.toString());
    c.lstTuner->clear();
    for (QStringView genre : tuner.genres)
        c.lstTuner->appendItem(genre.toString());
    chosen->setEnabled(false);
    other->setEnabled(true);
    c.cboGenre->setEnabled(false);
    writeFormWidth(c, design::ExpandedWidth);
}

} // namespace

const Tuner &currentTuner(const Controls &c) {
    return c.cmdTv->isEnabled() ? RadioTuner : TvTuner;
}

void cmdTvClick(const Controls &c) {
    chooseTuner(c, TvTuner, c.cmdTv, c.cmdRadio);
}

void cmdRadioClick(const Controls &c) {
    chooseTuner(c, RadioTuner, c.cmdRadio, c.cmdTv);
}
