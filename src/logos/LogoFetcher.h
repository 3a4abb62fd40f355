#pragma once
// The working side of LogoCache, on the cache's own thread: reads a logo's file or fetches its
// address, within the cache's limits, and decodes it into a small picture. Any number of logos
// may be under way at once; the cache decides how many.

#include <QImage>
#include <QObject>
#include <QString>

#include <chrono>

class QNetworkAccessManager;
class QUrl;

class LogoFetcher : public QObject {
    Q_OBJECT
public:
    LogoFetcher(qint64 maxBytes, std::chrono::milliseconds timeout);

    // On the fetcher's thread: the logo of `address`, from `location` (http(s) or a local file).
    void fetch(const QString &address, const QUrl &location);

signals:
    // The logo, or a null image when it cannot be had.
    void done(const QString &address, const QImage &logo);

private:
    struct Transfer;

    void readFile(const QString &address, const QString &path);
    void request(Transfer *transfer, const QUrl &location);
    void fetched(Transfer *transfer);
    void redirect(Transfer *transfer, const QUrl &to);
    void dropRequest(Transfer *transfer);
    // Ends `transfer`, with what it brought when it came `whole`, else with nothing.
    void end(Transfer *transfer, bool whole = false);
    // Decodes `bytes` into the logo of `address`; none when they are empty.
    void deliver(const QString &address, const QByteArray &bytes);

    const qint64 maxBytes_;
    const std::chrono::milliseconds timeout_;
    QNetworkAccessManager *network_ = nullptr; // made on first use, so on this thread
};
