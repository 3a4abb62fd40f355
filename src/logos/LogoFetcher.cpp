#include "logos/LogoFetcher.h"

#include "logos/LogoCache.h"
#include "net/Addresses.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

// More redirects than this are taken for a loop: a logo seldom takes even one.
constexpr int MaxRedirects = 5;

// `bytes` as a picture of at most KeptLogoSide on its long side; null when they are no picture
// or one too large to decode. The size that a picture's header claims is checked before a
// single pixel is decoded.
QImage decodeLogo(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxLogoSide || size.height() > MaxLogoSide)
        return {};
    const QImage image = reader.read();
    if (image.width() <= KeptLogoSide && image.height() <= KeptLogoSide)
        return image;
    // A long thin strip keeps one pixel across rather than vanish.
    const QSize kept =
        size.scaled(KeptLogoSide, KeptLogoSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return image.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

// One logo on its way from the network, across its redirects. It is the context of its reply's
// and its time limit's connections, which end with it.
struct LogoFetcher::Transfer : QObject {
    Transfer(const QString &address, QObject *parent) : QObject(parent), address(address) {}

    const QString address;
    QNetworkReply *reply = nullptr; // the request under way
    QByteArray bytes;               // and what it has brought so far
    QTimer deadline;
    int redirects = 0; // how many led to the request under way
};

LogoFetcher::LogoFetcher(qint64 maxBytes, std::chrono::milliseconds timeout)
    : maxBytes_(maxBytes), timeout_(timeout) {}

void LogoFetcher::fetch(const QString &address, const QUrl &location) {
    if (location.isLocalFile())
        return readFile(address, location.toLocalFile());
    auto *transfer = new Transfer(address, this);
    transfer->deadline.setSingleShot(true);
    connect(&transfer->deadline, &QTimer::timeout, transfer, [this, transfer] { end(transfer); });
    transfer->deadline.start(timeout_);
    request(transfer, location);
}

void LogoFetcher::readFile(const QString &address, const QString &path) {
    const QFileInfo info(path);
    // A FIFO or a device could keep this thread waiting, or give bytes for ever.
    if (!info.isFile() || info.size() > maxBytes_)
        return deliver(address, {});
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return deliver(address, {});
    // The file may have grown since it was looked at.
    const QByteArray bytes = file.read(maxBytes_ + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxBytes_)
        return deliver(address, {});
    deliver(address, bytes);
}

void LogoFetcher::request(Transfer *transfer, const QUrl &location) {
    if (!network_) {
        // No disk cache and a cookie jar in memory alone: nothing is kept between runs.
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(location);
    // Redirects are followed here, where where they lead is checked.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    transfer->reply = network_->get(request);
    QNetworkReply *reply = transfer->reply;
    connect(reply, &QNetworkReply::metaDataChanged, transfer, [this, transfer, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes_)
            end(transfer);
    });
    connect(reply, &QNetworkReply::readyRead, transfer, [this, transfer, reply] {
        transfer->bytes += reply->readAll();
        if (transfer->bytes.size() > maxBytes_)
            end(transfer);
    });
    connect(reply, &QNetworkReply::finished, transfer, [this, transfer] { fetched(transfer); });
}

void LogoFetcher::fetched(Transfer *transfer) {
    QNetworkReply *reply = transfer->reply;
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply->error() == QNetworkReply::NoError && !target.isEmpty())
        return redirect(transfer, reply->url().resolved(target));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status / 100 != 2)
        return end(transfer);
    transfer->bytes += reply->readAll();
    // A connection closed early looks like the end of the picture when no length was announced;
    // with one, the missing bytes show.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != transfer->bytes.size())
        return end(transfer);
    if (transfer->bytes.size() > maxBytes_)
        return end(transfer);
    end(transfer, true);
}

void LogoFetcher::redirect(Transfer *transfer, const QUrl &to) {
    const QUrl from = transfer->reply->url();
    if (++transfer->redirects > MaxRedirects)
        return end(transfer);
    // Never to a local file, which a logo from the network may not name, nor from a secure
    // address to a plain one.
    if (!isWebAddress(to) || (from.scheme() == u"https" && to.scheme() == u"http"))
        return end(transfer);
    dropRequest(transfer);
    request(transfer, to);
}

void LogoFetcher::dropRequest(Transfer *transfer) {
    transfer->bytes.clear();
    // Deleting a reply aborts its transfer, and unlike abort() may be asked for from within the
    // reply's own signals.
    transfer->reply->disconnect(transfer);
    transfer->reply->deleteLater();
    transfer->reply = nullptr;
}

void LogoFetcher::end(Transfer *transfer, bool whole) {
    const QByteArray bytes = whole ? std::exchange(transfer->bytes, {}) : QByteArray();
    dropRequest(transfer);
    transfer->deadline.stop();
    // Not deleted here: this may run from within the signals of its timer.
    transfer->deleteLater();
    deliver(transfer->address, bytes);
}

void LogoFetcher::deliver(const QString &address, const QByteArray &bytes) {
    emit done(address, bytes.isEmpty() ? QImage() : decodeLogo(bytes));
}
