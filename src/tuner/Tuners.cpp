#include "tuner/Tuners.h"

#include "form/ControlOps.h"
#include "form/Controls.h"
#include "form/Design.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr QStringView view(std::u16string_view text) {
    return {text.data(), qsizetype(text.size())};
}

// Each tuner is named by its button's caption.
constexpr Tuner TvTuner{view(design::control("cmdTv").text), u"Select Genre", TunerKind::Tv};
constexpr Tuner RadioTuner{view(design::control("cmdRadio").text), u"Radio Genre",
                           TunerKind::Radio};

void chooseTuner(const Controls &c, const ChannelSource &source, const Tuner &tuner,
                 QPushButton *chosen, QPushButton *other) {
    c.cboGenre->clearAll();
    c.lblChannelName->setText(tuner.name.toString());
    c.lstTuner->clear();
    c.lstTuner->appendItems(source.genres(tuner.kind));
    chosen->setEnabled(false);
    other->setEnabled(true);
    c.cboGenre->setEnabled(false);
    writeFormWidth(c, design::ExpandedWidth);
}

} // namespace

const Tuner &currentTuner(const Controls &c) {
    return c.cmdTv->isEnabled() ? RadioTuner : TvTuner;
}

void cmdTvClick(const Controls &c, const ChannelSource &source) {
    chooseTuner(c, source, TvTuner, c.cmdTv, c.cmdRadio);
}

void cmdRadioClick(const Controls &c, const ChannelSource &source) {
    chooseTuner(c, source, RadioTuner, c.cmdRadio, c.cmdTv);
}
