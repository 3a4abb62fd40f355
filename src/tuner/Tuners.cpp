#include "tuner/Tuners.h"

#include "catalogue/TuningState.h"
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

void chooseTuner(const Controls &c, TuningState &tuning, const Tuner &tuner, QPushButton *chosen,
                 QPushButton *other) {
    c.cboGenre->clearAll();
    c.lblChannelName->setText(tuner.name.toString());
    c.lstTuner->clear();
    c.lstTuner->appendItems(tuning.source().genres(tuner.kind));
    chosen->setEnabled(false);
    other->setEnabled(true);
    tuning.setTuner(tuner.kind);
    c.cboGenre->setEnabled(false);
    writeFormWidth(c, design::ExpandedWidth);
}

} // namespace

const Tuner &currentTuner(const TuningState &tuning) {
    return tuning.tuner() == TunerKind::Tv ? TvTuner : RadioTuner;
}

void cmdTvClick(const Controls &c, TuningState &tuning) {
    chooseTuner(c, tuning, TvTuner, c.cmdTv, c.cmdRadio);
}

void cmdRadioClick(const Controls &c, TuningState &tuning) {
    chooseTuner(c, tuning, RadioTuner, c.cmdRadio, c.cmdTv);
}
