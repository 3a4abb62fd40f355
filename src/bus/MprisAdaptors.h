#pragma once
// The two MPRIS interfaces that the desktop's media keys, panels and lock screens use: the
// program as a whole, and its player. Each reads the program's state when asked; changes are
// announced by MprisService.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

class DesktopActions;
class Player;
class TuningState;

// org.mpris.MediaPlayer2
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(bool CanRaise READ canRaise CONSTANT)
    Q_PROPERTY(bool CanQuit READ canQuit CONSTANT)
    Q_PROPERTY(bool Fullscreen READ fullscreen WRITE setFullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ canSetFullscreen CONSTANT)
    Q_PROPERTY(bool HasTrackList READ hasTrackList CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes CONSTANT)
public:
    MprisRootAdaptor(QObject *service, Player &player, DesktopActions &actions,
                     const QString &desktopEntry);

    QString identity() const;
    QString desktopEntry() const { return desktopEntry_; }
    bool canRaise() const { return true; }
    bool canQuit() const { return true; }
    bool fullscreen() const;
    void setFullscreen(bool fullscreen);
    bool canSetFullscreen() const { return true; }
    // Channels are tuned from the side panel; the desktop is offered neither a list of them nor
    // addresses to open.
    bool hasTrackList() const { return false; }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    Player &player_;
    DesktopActions &actions_;
    QString desktopEntry_;
};

// org.mpris.MediaPlayer2.Player. A live channel plays on until another is tuned: there is nothing
// to pause, seek or open, so those requests are answered and change nothing.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay CONSTANT)
    Q_PROPERTY(bool CanPause READ canPause CONSTANT)
    Q_PROPERTY(bool CanSeek READ canSeek CONSTANT)
    Q_PROPERTY(bool CanControl READ canControl CONSTANT)
    Q_PROPERTY(double Rate READ rate CONSTANT)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(qlonglong Position READ position CONSTANT)
public:
    MprisPlayerAdaptor(QObject *service, TuningState &tuning, DesktopActions &actions,
                       const QString &desktopEntry);

    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    // Moves the slider to the nearest of its steps.
    void setVolume(double volume);
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const { return true; }
    bool canPause() const { return true; }
    bool canSeek() const { return false; }
    bool canControl() const { return true; }
    double rate() const { return 1.0; }
    qlonglong position() const { return 0; }

public slots:
    void Next();
    void Previous();
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    void OpenUri(const QString &Uri);

private:
    TuningState &tuning_;
    DesktopActions &actions_;
    QString trackPath_; // where the channels' track ids begin
};
