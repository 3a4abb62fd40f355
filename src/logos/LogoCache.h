#pragma once
// Channel logos for the window: fetched and decoded on a thread of the cache's own, kept in
// memory alone for this run. The window asks for the logos of the channels it shows at each
// paint, and draws them once they have arrived; a logo that cannot be had shows nothing.

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>
#include <map>

class LogoFetcher;
class QThread;

// No picture wider or taller than this is decoded: its header alone can claim gigabytes.
constexpr int MaxLogoSide = 4096;
// Logos are kept at most this large on their long side, which is more than the window shows.
constexpr int KeptLogoSide = 256;

// Outside LogoCache, so that its defaults can be the constructor's default argument.
struct LogoLimits {
    qint64 maxBytes = 1 << 20;                // of one logo's file or transfer
    std::chrono::milliseconds timeout{15000}; // for one logo's transfer, redirects and all
    qint64 memoryBudget = 32ll << 20;         // of the logos kept, by QImage::sizeInBytes()
    int parallel = 4;                         // transfers at a time
    // Asks waiting for a transfer; the oldest beyond this are forgotten, since their channels
    // have long left the screen. Asked for again, they wait again.
    int waiting = 128;
};

class LogoCache : public QObject {
    Q_OBJECT
public:
    using Limits = LogoLimits;

    explicit LogoCache(Limits limits = {}, QObject *parent = nullptr);
    // Returns at once: transfers are dropped, and a decode under way is left to finish alone.
    ~LogoCache() override;

    // The logo of `address` if it is in memory, which marks it recently used; otherwise a null
    // image, and the logo is fetched unless it failed before or is on its way. `localAllowed`:
    // the address may name a local file (a path or a file: URL), as a local playlist's may; a
    // network playlist's may not, and such an address is refused without a look at the file.
    QImage logo(const QString &address, bool localAllowed);

signals:
    // Now in memory: ask again with logo().
    void arrived(const QString &address);
    // Cannot be had in this run (or, when refused as a local file, not from a network playlist).
    void failed(const QString &address);

private:
    struct Ask {
        QString address;
        QUrl location; // http(s), or a local file
    };

    void ask(const QString &address, const QUrl &location);
    void startWaiting();
    void received(const QString &address, const QImage &logo);
    // Adds `address` to `failures` and says so, once.
    void noteFailure(QSet<QString> &failures, const QString &address);

    const Limits limits_;
    QThread *thread_;
    LogoFetcher *fetcher_; // lives on `thread_`
    QCache<QString, QImage> logos_;
    QSet<QString> failed_;
    QSet<QString> refused_; // local files named where they may not be
    QSet<QString> running_;
    // Asks waiting for a transfer, by when they were last asked for: the newest goes first, as
    // what is on the screen now matters most.
    std::map<quint64, Ask> waiting_;
    QHash<QString, quint64> waitingSince_;
    quint64 asks_ = 0;
};
