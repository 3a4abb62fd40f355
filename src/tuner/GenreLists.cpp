#include "tuner/GenreLists.h"

#include "catalogue/Tuning.h"
#include "form/Controls.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

namespace {

void showChannels(const Controls &c, const ListItems &channels) {
    c.lstTuner->clear();
    c.lstTuner->appendItems(channels);
}

} // namespace

void lstTunerClick(const Controls &c, const ChannelSource &source, Player &player,
                   ConnectionMonitor &monitor) {
    const Tuner &tuner = currentTuner(c);
    c.cboGenre->clearAll();
    c.cboGenre->setEnabled(true);
    c.cboGenre->setText(tuner.genrePrompt.toString());
    for (const ListItem &genre : source.genres(tuner.kind))
        c.cboGenre->appendItem(genre);
    if (const auto clicked = c.lstTuner->selectedItem()) {
        if (const auto channels = source.listClickChannels(*clicked))
            showChannels(c, *channels);
    }
    // Read anew: after a genre's channels were shown nothing is selected, so nothing is tuned.
    if (const auto selected = c.lstTuner->selectedItem())
        TuneChannel(c, player, monitor, source.channel(*selected));
}

void cboGenreClick(const Controls &c, const ChannelSource &source) {
    if (const auto channels = source.comboPickChannels(c.cboGenre->pickedItem()))
        showChannels(c, *channels);
}
