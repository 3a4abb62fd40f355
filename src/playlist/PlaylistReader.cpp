#include "playlist/PlaylistReader.h"

#include "net/Addresses.h"
#include "net/Transfers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace {

// What a transfer brings, as its sentences say.
const QString Brought = QStringLiteral("list");

QString tooLarge() {
    return QStringLiteral("it is larger than %1 MiB").arg(MaxPlaylistBytes / (1024 * 1024));
}

} // namespace

PlaylistReader::PlaylistReader(std::chrono::milliseconds stallTimeout)
    : stallTimeout_(stallTimeout) {}

void PlaylistReader::read(quint64 load, const QString &source) {
    if (load != wanted_)
        return;
    dropTransfer();
    if (source.trimmed().isEmpty())
        return fail(load, QStringLiteral("no file or address was given"));
    // A Windows path's drive letter would pass for a scheme.
    if (QDir::isAbsolutePath(source))
        return readFile(load, source);
    const QUrl url(source);
    const QString scheme = url.scheme(); // lower case
    if (scheme.isEmpty())
        return readFile(load, source);
    if (scheme == u"file")
        return readFile(load, url.toLocalFile());
    if (!isWebAddress(url))
        return fail(load, QStringLiteral("only files and http or https addresses can be opened"));
    if (!url.isValid() || url.host().isEmpty())
        return fail(load, QStringLiteral("the address is not valid"));
    fetch(load, url, 0);
}

void PlaylistReader::readFile(quint64 load, const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return fail(load, QStringLiteral("the file does not exist"));
    if (info.isDir())
        return fail(load, QStringLiteral("it is a folder, not a file"));
    // A FIFO or a device could keep a reader waiting, or give bytes for ever.
    if (!info.isFile())
        return fail(load, QStringLiteral("it is not a regular file"));
    if (info.size() > MaxPlaylistBytes)
        return fail(load, tooLarge());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(load, QStringLiteral("the file cannot be read (%1)").arg(errorText(file)));
    // The file may have grown since it was looked at.
    const QByteArray bytes = file.read(MaxPlaylistBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(load, QStringLiteral("the file cannot be read (%1)").arg(errorText(file)));
    if (bytes.size() > MaxPlaylistBytes)
        return fail(load, tooLarge());
    parse(load, bytes, QUrl::fromLocalFile(info.absoluteFilePath()));
}

void PlaylistReader::fetch(quint64 load, const QUrl &address, int redirects) {
    if (!network_) {
        // No cache and a cookie jar in memory alone: nothing is kept between runs.
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(address);
    // Redirects are followed here rather than by Qt, which may run the headers of a redirect's
    // answer into those of the final one (two lengths, and the list taken for cut off).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(int(stallTimeout_.count()));
    reply_ = network_->get(request);
    QNetworkReply *reply = reply_;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, load, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxPlaylistBytes) {
            dropTransfer();
            fail(load, tooLarge());
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, load, reply] {
        received_ += reply->readAll();
        if (received_.size() > MaxPlaylistBytes) {
            dropTransfer();
            fail(load, tooLarge());
        }
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, load, redirects] { fetched(load, redirects); });
}

void PlaylistReader::fetched(quint64 load, int redirects) {
    QNetworkReply *reply = reply_;
    reply_.clear();
    reply->deleteLater();
    QByteArray bytes = std::exchange(received_, {});
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply->error() == QNetworkReply::NoError && !target.isEmpty()) {
        const QUrl to = reply->url().resolved(target);
        if (const QString error = redirectError(reply->url(), to, redirects + 1); !error.isEmpty())
            return fail(load, error);
        return fetch(load, to, redirects + 1);
    }
    if (const QString error = transferError(*reply, stallTimeout_, Brought); !error.isEmpty())
        return fail(load, error);
    bytes += reply->readAll();
    // A connection closed early looks like the end of the list when no length was announced;
    // with one, the missing bytes show.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != bytes.size())
        return fail(load, brokenOff(Brought));
    if (bytes.size() > MaxPlaylistBytes)
        return fail(load, tooLarge());
    parse(load, bytes, reply->url());
}

void PlaylistReader::dropTransfer() {
    received_.clear();
    if (!reply_)
        return;
    // Deleting a reply aborts its transfer, and unlike abort() may be asked for from within
    // the reply's own signals.
    reply_->disconnect(this);
    reply_->deleteLater();
    reply_.clear();
}

void PlaylistReader::parse(quint64 load, QByteArrayView bytes, const QUrl &location) {
    if (load != wanted_)
        return;
    ParsedPlaylist parsed = parsePlaylist(bytes, location);
    if (!parsed.playlist)
        return fail(load, parsed.error);
    emit done(load, std::make_shared<const Playlist>(std::move(*parsed.playlist)), {});
}

void PlaylistReader::fail(quint64 load, const QString &error) {
    emit done(load, nullptr, error);
}
