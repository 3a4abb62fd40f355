#include "bus/MprisAdaptors.h"

#include "bus/DesktopActions.h"
#include "catalogue/TuningState.h"
#include "form/Design.h"
#include "player/Player.h"

#include <algorithm>
#include <cmath>

namespace {

// The player's loudness runs 0-100, the slider's steps 0-10 and MPRIS's volume 0.0-1.0.
constexpr int PlayerFullVolume = 100;
constexpr int SliderSteps = design::VolumeMax;

const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// The channel's number as lblIndexNo shows it, "CH 00003" being 3: it tells channels apart
// within their source.
qint64 channelNumber(const QString &shown) {
    qint64 number = 0;
    for (const QChar ch : shown) {
        if (ch.isDigit())
            number = number * 10 + ch.digitValue();
    }
    return number;
}

// An object path of the application's own, from its id: "com.example.App" gives
// "/com/example/App". Ids may hold '-', which object paths may not.
QString applicationPath(QString id) {
    return u'/' + id.replace(u'.', u'/').replace(u'-', u'_');
}

} // namespace

MprisRootAdaptor::MprisRootAdaptor(QObject *service, Player &player, DesktopActions &actions,
                                   const QString &desktopEntry)
    : QDBusAbstractAdaptor(service), player_(player), actions_(actions),
      desktopEntry_(desktopEntry) {}

QString MprisRootAdaptor::identity() const {
    return QString::fromUtf16(design::Title.data(), qsizetype(design::Title.size()));
}

bool MprisRootAdaptor::fullscreen() const {
    return player_.isFullScreen();
}

void MprisRootAdaptor::setFullscreen(bool fullscreen) {
    if (fullscreen)
        player_.enterFullScreen();
    else
        player_.leaveFullScreen();
}

void MprisRootAdaptor::Raise() {
    actions_.raise();
}

void MprisRootAdaptor::Quit() {
    actions_.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject *service, TuningState &tuning,
                                       DesktopActions &actions, const QString &desktopEntry)
    : QDBusAbstractAdaptor(service), tuning_(tuning), actions_(actions),
      trackPath_(applicationPath(desktopEntry) + QStringLiteral("/channel/")) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return tuning_.player().isPlaying() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    const auto &tuned = tuning_.current();
    if (!tuned)
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(NoTrack))}};
    const Channel &channel = tuned->channel;
    const QString track = trackPath_ + QString::number(channelNumber(channel.number));
    QVariantMap map{{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track))},
                    {QStringLiteral("xesam:title"), channel.name}};
    if (!channel.logo.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), channel.logo);
    return map;
}

double MprisPlayerAdaptor::volume() const {
    return tuning_.player().volume() / double(PlayerFullVolume);
}

void MprisPlayerAdaptor::setVolume(double volume) {
    if (std::isnan(volume))
        return;
    actions_.setVolumeStep(qRound(std::clamp(volume, 0.0, 1.0) * SliderSteps));
}

bool MprisPlayerAdaptor::canGoNext() const {
    return tuning_.zapRow(1).has_value();
}

bool MprisPlayerAdaptor::canGoPrevious() const {
    return tuning_.zapRow(-1).has_value();
}

void MprisPlayerAdaptor::Next() {
    actions_.zap(1);
}

void MprisPlayerAdaptor::Previous() {
    actions_.zap(-1);
}

void MprisPlayerAdaptor::Play() {}
void MprisPlayerAdaptor::Pause() {}
void MprisPlayerAdaptor::PlayPause() {}
void MprisPlayerAdaptor::Stop() {}
void MprisPlayerAdaptor::Seek(qlonglong) {}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}
void MprisPlayerAdaptor::OpenUri(const QString &) {}
