#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <initializer_list>

class DesktopActions;
class MprisPlayerAdaptor;
class MprisRootAdaptor;
class QDBusAbstractAdaptor;
class TuningState;

// The program on the session bus as an MPRIS media player, so that the desktop's media keys,
// panels and lock screens show the channel playing and zap, set the volume and go full screen.
// Made once the window is on screen: connecting to the bus and asking for a name are round trips
// that the first frame does not wait for. Without a session bus the program runs as before and
// says so in one line on stderr.
class MprisService : public QObject {
    Q_OBJECT
public:
    // `desktopEntry` is the application id that the launcher is named after.
    MprisService(TuningState &tuning, DesktopActions &actions, const QString &desktopEntry,
                 QObject *parent = nullptr);
    ~MprisService() override;

    // The name the bus gave: org.mpris.MediaPlayer2.ruredivu, or with ".instance<pid>" appended
    // when another instance has that; empty until the bus answered, and for good without a bus.
    const QString &busName() const { return busName_; }

signals:
    void published(const QString &busName);

private:
    void requestName(const QString &name);
    void nameAnswered(const QString &name, quint32 answer);
    // Announces those of `properties` whose value changed since they were last announced.
    void announce(QDBusAbstractAdaptor *adaptor, std::initializer_list<const char *> properties);
    void follow();

    TuningState &tuning_;
    MprisRootAdaptor *root_;
    MprisPlayerAdaptor *player_;
    QVariantMap announced_; // the changing properties' values as announced last, by name
    QDBusConnection bus_;
    QString busName_;
};
