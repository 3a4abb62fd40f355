#include "tuner/GenreLists.h"

#include "app/Controls.h"
#include "catalogue/Tuning.h"
#include "tuner/GenreCombo.h"
#include "tuner/Genres.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

namespace {

void showChannels(const Controls &c, const GenreChannels &genre) {
    c.lstTuner->clear();
    for (QStringView label : genre.labels)
        c.lstTuner->appendItem(label.toString());
}

} // namespace

void lstTunerClick(const Controls &c, Player &player, ConnectionMonitor &monitor) {
    const Tuner &tuner = currentTuner(c);
    c.cboGenre->clearAll();
    c.cboGenre->setEnabled(true);
    c.cboGenre->setText(tuner.genrePrompt.toString());
    for (QStringView genre : tuner.genres)
        c.cboGenre->appendItem(genre.toString());
    if (const GenreChannels *genre = findGenre(ListClickChannels, c.lstTuner->text()))
        showChannels(c, *genre);
    // Read anew: after a genre's channels were shown nothing is selected, so nothing is tuned.
    TuneChannel(c, player, monitor, c.lstTuner->text());
}

void cboGenreClick(const Controls &c) {
    if (const GenreChannels *genre = findGenre(ComboClickChannels, c.cboGenre->text()))
        showChannels(c, *genre);
}
