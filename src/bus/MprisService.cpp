#include "bus/MprisService.h"

#include "bus/MprisAdaptors.h"
#include "catalogue/TuningState.h"
#include "player/Player.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaProperty>

#include <cstdio>

namespace {

const QString BusName = QStringLiteral("org.mpris.MediaPlayer2.ruredivu");
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// RequestName's flag and answers, as the bus numbers them.
constexpr quint32 DoNotQueue = 4;
constexpr quint32 PrimaryOwner = 1;
constexpr quint32 Exists = 3;
constexpr quint32 AlreadyOwner = 4;

QString interfaceOf(const QObject &adaptor) {
    const QMetaObject *meta = adaptor.metaObject();
    return QString::fromLatin1(meta->classInfo(meta->indexOfClassInfo("D-Bus Interface")).value());
}

// The one line the program says about the bus: everything else works without it.
void giveUp(const QString &why) {
    std::fprintf(stderr, "ruredivu: %s; the desktop's media keys and controls are off\n",
                 qPrintable(why));
}

} // namespace

MprisService::MprisService(TuningState &tuning, DesktopActions &actions,
                           const QString &desktopEntry, QObject *parent)
    : QObject(parent), tuning_(tuning),
      root_(new MprisRootAdaptor(this, tuning.player(), actions, desktopEntry)),
      player_(new MprisPlayerAdaptor(this, tuning, actions, desktopEntry)),
      bus_(QDBusConnection::sessionBus()) {
    if (!bus_.isConnected()) {
        giveUp(QStringLiteral("no session bus (%1)").arg(bus_.lastError().message()));
        return;
    }
    if (!bus_.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors)) {
        giveUp(ObjectPath + QStringLiteral(" is taken on the session bus"));
        return;
    }
    follow();
    requestName(BusName);
}

MprisService::~MprisService() {
    // The object leaves the bus with this QObject; its name goes with it, so that a service made
    // later in this process gets the name again.
    if (!busName_.isEmpty())
        bus_.interface()->asyncCall(QStringLiteral("ReleaseName"), busName_);
}

// Asked without waiting for the answer, so that the window goes on meanwhile.
void MprisService::requestName(const QString &name) {
    const QDBusPendingCall call =
        bus_.interface()->asyncCall(QStringLiteral("RequestName"), name, DoNotQueue);
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, name](QDBusPendingCallWatcher *answered) {
                answered->deleteLater();
                const QDBusPendingReply<quint32> reply = *answered;
                if (reply.isError())
                    giveUp(reply.error().message());
                else
                    nameAnswered(name, reply.value());
            });
}

void MprisService::nameAnswered(const QString &name, quint32 answer) {
    if (answer == PrimaryOwner || answer == AlreadyOwner) {
        busName_ = name;
        emit published(busName_);
    } else if (answer == Exists && name == BusName) {
        // Another instance has the name; the MPRIS way for a second one is a name of its own.
        requestName(BusName + QStringLiteral(".instance") +
                    QString::number(QCoreApplication::applicationPid()));
    } else {
        giveUp(name + QStringLiteral(" is taken on the session bus"));
    }
}

void MprisService::follow() {
    // The properties that are not CONSTANT are the ones that change: their values as they are
    // now, before any change is announced.
    for (const QObject *adaptor : std::initializer_list<const QObject *>{root_, player_}) {
        const QMetaObject *meta = adaptor->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (!property.isConstant())
                announced_.insert(QString::fromLatin1(property.name()), property.read(adaptor));
        }
    }
    Player &player = tuning_.player();
    connect(&player, &Player::fullScreenChanged, this, [this] { announce(root_, {"Fullscreen"}); });
    connect(&player, &Player::playingChanged, this,
            [this] { announce(player_, {"PlaybackStatus"}); });
    connect(&player, &Player::volumeChanged, this, [this] { announce(player_, {"Volume"}); });
    connect(&tuning_, &TuningState::tuned, this, [this] {
        announce(player_, {"Metadata", "CanGoNext", "CanGoPrevious"});
    });
    connect(&tuning_, &TuningState::zapListChanged, this, [this] {
        announce(player_, {"CanGoNext", "CanGoPrevious"});
    });
}

void MprisService::announce(QDBusAbstractAdaptor *adaptor,
                            std::initializer_list<const char *> properties) {
    QVariantMap changed;
    for (const char *name : properties) {
        const QString key = QString::fromLatin1(name);
        const QVariant value = adaptor->property(name);
        QVariant &last = announced_[key];
        if (value == last)
            continue;
        last = value;
        changed.insert(key, value);
    }
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, PropertiesInterface,
                                                     QStringLiteral("PropertiesChanged"));
    signal << interfaceOf(*adaptor) << changed << QStringList();
    bus_.send(signal);
}
