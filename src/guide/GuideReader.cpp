#include "guide/GuideReader.h"

#include "guide/GuideBuilder.h"
#include "net/Addresses.h"
#include "net/Transfers.h"
#include "playlist/Playlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace {

// What a transfer brings, as its sentences say.
const QString Brought = QStringLiteral("guide");
// A file is read and fed to the guide this much at a time.
constexpr qint64 ChunkBytes = 256 * 1024;
// What a transfer holds before it waits for the guide to take it.
constexpr qint64 ReadBufferBytes = 4 * 1024 * 1024;

// A number as the program writes it in any language: "1,000,000".
QString grouped(qint64 number) {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(number);
}

// "1 channel", "4,400 channels".
QString counted(qint64 count, const QString &thing) {
    return grouped(count) + u' ' + thing + QLatin1StringView(count == 1 ? "" : "s");
}

bool answered(const QNetworkReply &reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 == 2;
}

} // namespace

struct GuideReader::Load {
    Load(quint64 number, const QStringList &sources, std::shared_ptr<const Playlist> playlist)
        : number(number), sources(sources), playlist(std::move(playlist)) {}

    const quint64 number;
    const QStringList sources;
    const std::shared_ptr<const Playlist> playlist;
    qsizetype next = 0; // the source to read next
    GuideBuilder builder;
    QStringList problems;
    qint64 programmes = 0;
    qint64 unknownZones = 0;
};

GuideReader::GuideReader(std::chrono::milliseconds stallTimeout) : stallTimeout_(stallTimeout) {}

GuideReader::~GuideReader() = default;

void GuideReader::read(quint64 load, const QStringList &sources,
                       std::shared_ptr<const Playlist> playlist) {
    if (load != wanted_)
        return;
    drop();
    load_ = std::make_unique<Load>(load, sources, std::move(playlist));
    next();
}

void GuideReader::drop() {
    dropTransfer();
    load_.reset();
}

bool GuideReader::wanted() const {
    return load_ && load_->number == wanted_;
}

void GuideReader::next() {
    while (wanted() && load_->next < load_->sources.size()) {
        const QString source = load_->sources[load_->next++];
        load_->builder.begin();
        // A Windows path's drive letter would pass for a scheme.
        const QUrl url(source);
        QString error;
        if (QDir::isAbsolutePath(source) || url.scheme().isEmpty())
            error = readFile(source);
        else if (url.isLocalFile())
            error = readFile(url.toLocalFile());
        else if (!isWebAddress(url))
            error = QStringLiteral("only files and http or https addresses can be read");
        else if (!url.isValid() || url.host().isEmpty())
            error = QStringLiteral("the address is not valid");
        else
            return fetch(url, 0);
        if (wanted())
            endSource(error);
    }
    if (wanted())
        finish();
    else
        drop();
}

QString GuideReader::readFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    // A FIFO or a device could keep a reader waiting, or give bytes for ever.
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read (%1)").arg(errorText(file));
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    while (wanted()) {
        const qint64 size = file.read(chunk.data(), ChunkBytes);
        if (size < 0)
            return QStringLiteral("the file cannot be read (%1)").arg(errorText(file));
        if (size == 0 || !load_->builder.feed(QByteArrayView(chunk.constData(), size)))
            break;
    }
    return {};
}

void GuideReader::fetch(const QUrl &address, int redirects) {
    if (!network_) {
        // No cache and a cookie jar in memory alone: nothing is kept between runs.
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(address);
    // Redirects are followed here, each checked as the playlist's are.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(int(stallTimeout_.count()));
    // Asked for by name, a compressed guide comes as it is sent, which the guide reads itself:
    // its length as announced is what arrives, and it is never decompressed twice over.
    request.setRawHeader("Accept-Encoding", "gzip");
    receivedBytes_ = 0;
    reply_ = network_->get(request);
    QNetworkReply *reply = reply_;
    reply->setReadBufferSize(ReadBufferBytes);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { received(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, redirects] { fetched(redirects); });
}

// The bytes go to the guide as they come, so that a guide of any size is never held whole.
void GuideReader::received(QNetworkReply *reply) {
    if (!wanted())
        return drop();
    const QByteArray bytes = reply->readAll();
    // A redirect's or an error's own page is no guide.
    if (!answered(*reply))
        return;
    receivedBytes_ += bytes.size();
    if (load_->builder.feed(bytes))
        return;
    dropTransfer();
    endSource({});
    next();
}

void GuideReader::fetched(int redirects) {
    QNetworkReply *reply = reply_;
    reply_.clear();
    reply->deleteLater();
    if (!wanted())
        return drop();
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply->error() == QNetworkReply::NoError && !target.isEmpty()) {
        const QUrl to = reply->url().resolved(target);
        const QString error = redirectError(reply->url(), to, redirects + 1);
        if (error.isEmpty())
            return fetch(to, redirects + 1);
        endSource(error);
        return next();
    }
    QString error = transferError(*reply, stallTimeout_, Brought);
    if (error.isEmpty()) {
        const QByteArray rest = reply->readAll();
        receivedBytes_ += rest.size();
        // A connection closed early looks like the end of the guide when no length was
        // announced; with one, the missing bytes show. A guide that stopped taking bytes says
        // why itself.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (load_->builder.feed(rest) && length.isValid() && length.toLongLong() != receivedBytes_)
            error = brokenOff(Brought);
    }
    endSource(error);
    next();
}

void GuideReader::dropTransfer() {
    if (!reply_)
        return;
    // Deleting a reply aborts its transfer, and unlike abort() may be asked for from within
    // the reply's own signals.
    reply_->disconnect(this);
    reply_->deleteLater();
    reply_.clear();
}

void GuideReader::endSource(const QString &error) {
    const GuideDocument document = load_->builder.end();
    load_->programmes += document.programmes;
    load_->unknownZones += document.unknownZones;
    const QString why = error.isEmpty() ? document.stopped : error;
    if (why.isEmpty())
        return;
    const QString &source = load_->sources[load_->next - 1];
    load_->problems << (document.programmes > 0
                            ? QStringLiteral("The guide %1 was read only in part: %2.")
                            : QStringLiteral("Could not read the guide %1: %2."))
                           .arg(source, why);
}

void GuideReader::finish() {
    const std::unique_ptr<Load> load = std::move(load_);
    if (load->programmes == 0) {
        QString message = load->problems.join(u' ');
        if (message.isEmpty() && load->sources.size() == 1)
            message = QStringLiteral("The guide %1 has no programmes.").arg(load->sources.first());
        else if (message.isEmpty())
            message = QStringLiteral("The guides have no programmes.");
        emit done(load->number, nullptr, message, {});
        return;
    }
    auto guide = std::make_shared<const ChannelGuide>(load->builder.finish(), *load->playlist);
    QString summary = QStringLiteral("Guide loaded: %1 for %2 of %3")
                          .arg(counted(guide->matchedProgrammes(), QStringLiteral("programme")),
                               grouped(guide->matchedEntries()),
                               counted(load->playlist->size(), QStringLiteral("channel")));
    if (load->unknownZones > 0) {
        summary += QStringLiteral("; %1 with an unknown time zone read as UTC")
                       .arg(counted(load->unknownZones, QStringLiteral("programme")));
    }
    emit done(load->number, std::move(guide), summary, load->problems);
}
