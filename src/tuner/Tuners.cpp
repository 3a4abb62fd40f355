#include "tuner/Tuners.h"

#include "app/Controls.h"
#include "app/MainForm.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QPushButton>

namespace {

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
