#include "tuner/GenreLists.h"

#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

namespace {

// The channels shown become the list that the channel keys go through.
void showChannels(const Controls &c, TuningState &tuning, const Rows &channels) {
    c.lstTuner->clear();
    c.lstTuner->appendRows(channels);
    tuning.setZapList(channels);
}

} // namespace

void lstTunerClick(const Controls &c, TuningState &tuning) {
    const ChannelSource &source = tuning.source();
    const Tuner &tuner = currentTuner(tuning);
    c.cboGenre->clearAll();
    c.cboGenre->setEnabled(true);
    c.cboGenre->setText(tuner.genrePrompt.toString());
    for (const ListItem &genre : source.genres(tuner.kind))
        c.cboGenre->appendItem(genre);
    if (const auto clicked = c.lstTuner->selectedItem()) {
        if (const auto channels = source.listClickChannels(*clicked))
            showChannels(c, tuning, *channels);
    }
    // Read anew: after a genre's channels were shown nothing is selected, so nothing is tuned.
    if (const auto selected = c.lstTuner->selectedItem())
        tuning.tune(*selected);
}

void cboGenreClick(const Controls &c, TuningState &tuning) {
    if (const auto channels = tuning.source().comboPickChannels(c.cboGenre->pickedItem()))
        showChannels(c, tuning, *channels);
}
