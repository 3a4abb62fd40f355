// The window's side of playlists: opening one from the command line or a drop, showing it once
// it has been read, then reading its guides.

#include "app/MainForm.h"
#include "app/Remembering.h"
#include "form/Design.h"
#include "guide/GuideLoader.h"
#include "playlist/PlaylistLoader.h"
#include "playlist/PlaylistSource.h"
#include "tuner/BuiltInSource.h"
#include "tuner/Tuners.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstdio>

namespace {

const QString Loading = QStringLiteral("Loading playlist...");
const QString LoadingGuide = QStringLiteral("Loading guide...");

QString appTitle() {
    return QString::fromUtf16(design::Title.data(), qsizetype(design::Title.size()));
}

bool isWebAddress(const QUrl &url) {
    return url.scheme() == u"http" || url.scheme() == u"https";
}

// What a drop names as a playlist: a file, or a link to one; empty for anything else.
QString droppedPlaylist(const QMimeData *data) {
    QUrl url;
    if (data->hasUrls() && !data->urls().isEmpty())
        url = data->urls().constFirst();
    else if (data->hasText())
        url = QUrl(data->text().trimmed(), QUrl::StrictMode);
    if (url.isLocalFile())
        return url.toLocalFile();
    return isWebAddress(url) ? url.toString() : QString();
}

// The playlist's name in the window's title: the name of its file, or of the address's last
// part, or the address's host.
QString titleName(const QString &source) {
    const QUrl url(source);
    if (isWebAddress(url))
        return url.fileName().isEmpty() ? url.host() : url.fileName();
    return QFileInfo(url.isLocalFile() ? url.toLocalFile() : source).fileName();
}

// A playlist as it is remembered: a local file by its absolute path, which names it from any
// folder the program starts in next time.
QString rememberedAddress(const QString &source) {
    const QUrl url(source);
    if (isWebAddress(url))
        return source;
    return QFileInfo(url.isLocalFile() ? url.toLocalFile() : source).absoluteFilePath();
}

QString loadedText(const Playlist &playlist) {
    QString text = QStringLiteral("Playlist loaded: %1 channels").arg(playlist.size());
    if (playlist.leftOut() > 0)
        text += QStringLiteral("; %1 naming local files left out").arg(playlist.leftOut());
    return text;
}

} // namespace

MainForm::~MainForm() = default;

void MainForm::openPlaylist(const QString &source) {
    if (loader_ == nullptr) {
        loader_ = std::make_unique<PlaylistLoader>();
        connect(loader_.get(), &PlaylistLoader::loaded, this, &MainForm::playlistLoaded);
        connect(loader_.get(), &PlaylistLoader::failed, this, &MainForm::playlistFailed);
    }
    if (loading_.isEmpty())
        statusBeforeLoading_ = c_.lblBuffering->text();
    loading_ = source;
    c_.lblBuffering->setText(Loading);
    loader_->load(source);
}

void MainForm::setGuides(const QStringList &sources) {
    guides_ = sources;
}

void MainForm::openLastPlaylist(const QStringList &guides) {
    remembering_->openLastPlaylist(guides);
}

void MainForm::showBuiltIn() {
    tuning_.setSource(remembering_->withFavourites(std::make_shared<BuiltInSource>(), {}));
    setWindowTitle(appTitle());
    if (guideLoader_ != nullptr)
        guideLoader_->cancel();
    showChannels();
    remembering_->builtInChosen();
}

// The new channels show at once, under the radio tuner if it is the one shown, else TV.
void MainForm::showChannels() {
    if (!c_.cmdRadio->isEnabled())
        cmdRadioClick(c_, tuning_);
    else
        cmdTvClick(c_, tuning_);
}

void MainForm::playlistLoaded(const std::shared_ptr<const Playlist> &playlist) {
    const QString address = rememberedAddress(loading_);
    tuning_.setSource(
        remembering_->withFavourites(std::make_shared<PlaylistSource>(playlist), address));
    setWindowTitle(QStringLiteral("%1 - %2").arg(titleName(loading_), appTitle()));
    loading_.clear();
    c_.lblBuffering->setText(loadedText(*playlist));
    showChannels();
    readGuides(playlist);
    remembering_->playlistOpened(address, guides_);
}

void MainForm::playlistFailed(const QString &message) {
    std::fprintf(stderr, "ruredivu: %s\n", qPrintable(message));
    loading_.clear();
    if (c_.lblBuffering->text() == Loading)
        c_.lblBuffering->setText(statusBeforeLoading_);
    auto *box = new QMessageBox(QMessageBox::Warning, appTitle(), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("playlistError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainForm::readGuides(const std::shared_ptr<const Playlist> &playlist) {
    QStringList sources = guides_ + playlist->guideAddresses();
    sources.removeDuplicates();
    // A guide of the playlist before, still being read, is of no use to this one.
    if (sources.isEmpty()) {
        if (guideLoader_ != nullptr)
            guideLoader_->cancel();
        return;
    }
    if (guideLoader_ == nullptr) {
        guideLoader_ = std::make_unique<GuideLoader>();
        connect(guideLoader_.get(), &GuideLoader::loaded, this, &MainForm::guideLoaded);
        connect(guideLoader_.get(), &GuideLoader::failed, this, &MainForm::guideFailed);
    }
    // What the status line shows besides the playlist, a channel's connection above all, stays.
    if (c_.lblBuffering->text() == loadedText(*playlist))
        c_.lblBuffering->setText(LoadingGuide);
    guideLoader_->load(sources, playlist);
}

void MainForm::guideLoaded(const std::shared_ptr<const ChannelGuide> &guide, const QString &summary,
                           const QStringList &problems) {
    for (const QString &problem : problems)
        std::fprintf(stderr, "ruredivu: %s\n", qPrintable(problem));
    tuning_.setGuide(guide);
    if (c_.lblBuffering->text() == LoadingGuide)
        c_.lblBuffering->setText(summary);
}

void MainForm::guideFailed(const QString &message) {
    std::fprintf(stderr, "ruredivu: %s\n", qPrintable(message));
    if (c_.lblBuffering->text() == LoadingGuide)
        c_.lblBuffering->setText(message);
}

void MainForm::dragEnterEvent(QDragEnterEvent *event) {
    if (!droppedPlaylist(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainForm::dropEvent(QDropEvent *event) {
    const QString playlist = droppedPlaylist(event->mimeData());
    if (playlist.isEmpty())
        return;
    event->acceptProposedAction();
    openPlaylist(playlist);
}
