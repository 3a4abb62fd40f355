#include "app/Remembering.h"

#include "app/MainForm.h"
#include "catalogue/FavouritesSource.h"
#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "menu/ProgramMenu.h"
#include "player/Player.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cstdio>

namespace {

// The name the built-in channels' favourites go by, where a playlist's go by its address.
const QString BuiltInFavourites = QStringLiteral("built-in");

// Zapping writes the channel once it has stayed a while, not at every step.
constexpr int LastChannelWaitMs = 2000;

const QString &favouritesOf(const QString &playlist) {
    return playlist.isEmpty() ? BuiltInFavourites : playlist;
}

// A playlist as the menu shows it: an address without its password.
QString shownAddress(const QString &address) {
    const QUrl url(address);
    return url.scheme().isEmpty() || url.isLocalFile() ? address
                                                       : url.toDisplayString(QUrl::RemovePassword);
}

} // namespace

Remembering::Remembering(MainForm &form, const Controls &c, TuningState &tuning)
    : QObject(&form), form_(form), c_(c), tuning_(tuning) {
    state_.load();
    lastChannelWait_.setSingleShot(true);
    lastChannelWait_.setInterval(LastChannelWaitMs);
    connect(&lastChannelWait_, &QTimer::timeout, this, &Remembering::writeLastChannel);
    connect(&tuning_, &TuningState::tuned, this,
            [this](const TunedChannel &channel) { noteTuned(channel.item); });
    menu_ = new ProgramMenu(&form, [this] {
        ProgramMenu::Offer offer;
        for (const RecentPlaylist &recent : state_.playlists().recent())
            offer.recent << shownAddress(recent.address);
        if (const auto marked = markable())
            offer.favourite = state_.favourites().isFavourite(favouritesOf(playlist_), marked->key,
                                                              marked->radio);
        return offer;
    });
    connect(menu_, &ProgramMenu::openPlaylist, this, &Remembering::openFile);
    connect(menu_, &ProgramMenu::openAddress, this, &Remembering::openAddress);
    connect(menu_, &ProgramMenu::openRecent, this, &Remembering::openRecent);
    connect(menu_, &ProgramMenu::builtIn, &form_, &MainForm::showBuiltIn);
    connect(menu_, &ProgramMenu::toggleFavourite, this, &Remembering::toggleFavourite);
    connect(menu_, &ProgramMenu::forgetEverything, this, &Remembering::confirmForgetting);
}

Remembering::~Remembering() {
    writeLastChannel();
}

void Remembering::openLastPlaylist(const QStringList &guides) {
    if (state_.playlists().startChoice() != StartChoice::LastPlaylist)
        return;
    const RecentPlaylist &last = state_.playlists().recent().constFirst();
    form_.setGuides(guides.isEmpty() ? last.guides : guides);
    form_.openPlaylist(last.address);
}

std::shared_ptr<const ChannelSource>
Remembering::withFavourites(std::shared_ptr<const ChannelSource> channels,
                            const QString &playlist) {
    writeLastChannel();
    playlist_ = playlist;
    source_ =
        std::make_shared<FavouritesSource>(std::move(channels), [this, playlist](TunerKind tuner) {
            return favourites(playlist, tuner);
        });
    return source_;
}

ListItems Remembering::favourites(const QString &playlist, TunerKind tuner) const {
    ListItems items;
    for (const ChannelKey &key :
         state_.favourites().list(favouritesOf(playlist), tuner == TunerKind::Radio)) {
        if (const auto item = source_->itemOf(key))
            items.append(*item);
    }
    return items;
}

void Remembering::playlistOpened(const QString &playlist, const QStringList &guides) {
    state_.playlists().playlistOpened(playlist, guides);
    const RecentPlaylist &opened = state_.playlists().recent().constFirst();
    if (opened.lastChannel) {
        if (const auto item = source_->itemOf(*opened.lastChannel))
            tuning_.recall(*item);
    }
}

void Remembering::builtInChosen() {
    state_.playlists().chooseBuiltIn();
}

void Remembering::noteTuned(const ListItem &item) {
    if (playlist_.isEmpty())
        return;
    if (const auto key = source_->keyOf(item)) {
        lastChannel_.emplace(playlist_, *key);
        lastChannelWait_.start();
    }
}

void Remembering::writeLastChannel() {
    lastChannelWait_.stop();
    if (const auto last = std::exchange(lastChannel_, std::nullopt))
        state_.playlists().channelTuned(last->first, last->second);
}

// The side panel's selection where it shows one, as the user looks at it; else what plays.
std::optional<Remembering::Marked> Remembering::markable() const {
    std::optional<ListItem> item;
    const bool panelOpen = !c_.cmdTv->isEnabled() || !c_.cmdRadio->isEnabled();
    if (panelOpen && !tuning_.player().isFullScreen())
        item = c_.lstTuner->selectedItem();
    if ((!item || !source_->channel(*item)) && tuning_.current())
        item = tuning_.current()->item;
    if (!item)
        return std::nullopt;
    const auto key = source_->keyOf(*item);
    if (!key)
        return std::nullopt;
    return Marked{*item, *key, source_->tunerOf(*item) == TunerKind::Radio};
}

void Remembering::toggleFavourite() {
    const auto marked = markable();
    if (!marked)
        return;
    Favourites &favourites = state_.favourites();
    const QString &playlist = favouritesOf(playlist_);
    const bool written = favourites.isFavourite(playlist, marked->key, marked->radio)
                             ? favourites.unmark(playlist, marked->key, marked->radio)
                             : favourites.mark(playlist, marked->key, marked->radio);
    if (!written)
        std::fprintf(stderr, "ruredivu: the favourites could not be written to %s\n",
                     qPrintable(favourites.path()));
    showFavourites();
}

// The side panel shows the favourites as they are now, wherever it shows the tuner's genres or
// its favourites.
void Remembering::showFavourites() {
    const TunerKind tuner = tuning_.tuner();
    if (c_.cboGenre->isEnabled()) {
        const QString text = c_.cboGenre->text();
        c_.cboGenre->clearAll();
        for (const ListItem &genre : source_->genres(tuner))
            c_.cboGenre->appendItem(genre);
        c_.cboGenre->setText(text);
    }
    const std::vector<Rows> shown = c_.lstTuner->shownRows();
    const bool showsGenres = !shown.empty() && shown.front()->size() > 0 &&
                             shown.front()->item(0).kind == ListItem::Kind::Genre;
    const auto favouritesOfList = source_->givenFavourites(tuning_.zapList());
    if (showsGenres && (!c_.cmdTv->isEnabled() || !c_.cmdRadio->isEnabled())) {
        c_.lstTuner->clear();
        c_.lstTuner->appendItems(source_->genres(tuner));
    } else if (favouritesOfList && c_.lstTuner->shows(tuning_.zapList())) {
        const ListItem genre = source_->genres(*favouritesOfList).value(0);
        Rows rows =
            FavouritesSource::isFavourites(genre) ? *source_->listClickChannels(genre) : rowsOf({});
        c_.lstTuner->clear();
        c_.lstTuner->appendRows(rows);
        tuning_.setZapList(rows);
        if (tuning_.current()) {
            const qsizetype row = rows->find(tuning_.current()->item);
            if (row >= 0)
                c_.lstTuner->selectRow(int(row));
        }
    }
}

void Remembering::openFile() {
    auto *dialog = new QFileDialog(&form_, tr("Open Playlist"), QString(),
                                   tr("Playlists (*.m3u *.m3u8 *.pls);;All files (*)"));
    dialog->setObjectName(QStringLiteral("openPlaylistDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, &form_, &MainForm::openPlaylist);
    dialog->open();
}

void Remembering::openAddress() {
    auto *dialog = new QInputDialog(&form_);
    dialog->setObjectName(QStringLiteral("openAddressDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Open Address"));
    dialog->setLabelText(tr("Address of a playlist:"));
    connect(dialog, &QInputDialog::textValueSelected, &form_, [this](const QString &address) {
        if (!address.trimmed().isEmpty())
            form_.openPlaylist(address.trimmed());
    });
    dialog->open();
}

void Remembering::openRecent(int index) {
    const QList<RecentPlaylist> &recent = state_.playlists().recent();
    if (index < 0 || index >= recent.size())
        return;
    const RecentPlaylist chosen = recent[index];
    form_.setGuides(chosen.guides);
    form_.openPlaylist(chosen.address);
}

void Remembering::confirmForgetting() {
    auto *box =
        new QMessageBox(QMessageBox::Question, tr("Forget Everything"),
                        tr("Forget the recent playlists, the last channels and the favourites?"),
                        QMessageBox::Yes | QMessageBox::Cancel, &form_);
    box->setObjectName(QStringLiteral("forgetQuestion"));
    box->setDefaultButton(QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton *button) {
        if (box->standardButton(button) == QMessageBox::Yes)
            forgetEverything();
    });
    box->open();
}

void Remembering::forgetEverything() {
    lastChannelWait_.stop();
    lastChannel_.reset();
    if (!state_.forgetEverything())
        std::fprintf(stderr, "ruredivu: not everything remembered could be removed\n");
    showFavourites();
}
