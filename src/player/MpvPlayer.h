#pragma once

#include "player/Player.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct mpv_handle;
struct mpv_event;
struct MpvLibrary;
class MpvVideoWidget;
class AsxReader;
class QNetworkAccessManager;
class QThread;

// The player on libmpv. The engine runs on its own threads; this object only sends it
// asynchronous requests and learns its state from events, so the window never waits for it.
// The engine starts on a thread of its own once the video area has first been painted, or
// when the first address is set if that comes sooner; requests wait for it in order.
// The XML form of ASX playlists, which the engine cannot read, the player reads itself.
class MpvPlayer : public Player {
    Q_OBJECT
public:
    // A stream that makes no progress for `giveUpAfter` is stopped and counts as failed.
    explicit MpvPlayer(std::chrono::milliseconds giveUpAfter = std::chrono::seconds(15));
    ~MpvPlayer() override;

    QWidget *videoArea() override;
    void disableErrorDialogs() override;
    void setUrl(const QString &address, const StreamHeaders &headers = {}) override;
    void play() override;
    void setVolume(int volume) override;
    void enterFullScreen() override;
    void leaveFullScreen() override;
    int bufferingCount() const override;
    bool streamFailed() const override;

    // The engine itself, for reading back its state in tests; waits for it to start.
    mpv_handle *handle();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startEngine();
    void engineStarted();
    void request(std::function<void()> call);
    void asxRead(const QStringList &streams, int documents);
    void load(const QString &address);
    void ended();
    void drainEvents();
    void handleEvent(const mpv_event &event);
    bool isCurrent(qint64 entry) const;
    void notePosition(double position);
    void progress();
    void giveUp();

    // Written by the starting thread, read once it has finished.
    const MpvLibrary *mpv_ = nullptr;
    mpv_handle *handle_ = nullptr;
    QThread *starter_ = nullptr;
    bool started_ = false;                       // the engine is running, or could not be started
    std::vector<std::function<void()>> waiting_; // requests made before it started

    QPointer<MpvVideoWidget> video_;
    QTimer giveUp_;            // runs while the current stream is expected to make progress
    quint64 loadRequest_ = 0;  // the last `loadfile` sent, by its reply id
    qint64 currentEntry_ = -1; // playlist entry of the address set last, once known
    qint64 lastEntry_ = -1;    // the last entry the current address leads to (playlists)
    qint64 startedEntry_ = -1; // playlist entry that the engine is playing
    int playlistsOpened_ = 0;  // by the current address
    std::optional<double> firstPosition_; // of the current stream, once reported
    bool played_ = false;                 // it has moved on from there
    bool pausedForCache_ = false;
    bool failed_ = false;
    int bufferingCount_ = 0;

    std::unique_ptr<QNetworkAccessManager> network_; // made for the first ASX
    std::unique_ptr<AsxReader> asx_;                 // reading the current address's ASX
    QByteArray loadOptions_; // the engine's per-file options for the current stream
    QStringList queued_;     // addresses the current ASX named, still to try in order
};
