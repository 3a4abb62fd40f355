#include "player/AsxReader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// A playlist is small; more than this is something else, or a server that sends for ever.
constexpr qsizetype MaxDocumentBytes = 1024 * 1024;
// A server that sends nothing for this long has given up.
constexpr int StallTimeoutMs = 10'000;

const QStringList AsxSuffixes{".asx", ".wax", ".wvx", ".wmx"};

bool isHttp(const QUrl &address) {
    return address.scheme() == u"http" || address.scheme() == u"https";
}

} // namespace

AsxReader::AsxReader(QNetworkAccessManager &network, const StreamHeaders &headers, int maxDocuments)
    : network_(network), headers_(headers), maxDocuments_(maxDocuments) {}

AsxReader::~AsxReader() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

bool AsxReader::mayBeAsx(const QUrl &address) {
    const QString path = address.path();
    return isHttp(address) && std::any_of(AsxSuffixes.begin(), AsxSuffixes.end(), [&](auto &s) {
               return path.endsWith(s, Qt::CaseInsensitive);
           });
}

void AsxReader::read(const QString &address) {
    address_ = address;
    pending_ = {{QUrl(address), true}};
    next();
}

// Plays what comes before the next document to read; once nothing is left to read, all is known.
void AsxReader::next() {
    while (!pending_.empty()) {
        const AsxItem item = pending_.front();
        pending_.pop_front();
        const QString original =
            documents_ == 0 ? address_ : item.address.toString(QUrl::FullyEncoded);
        if (!item.nested || !isHttp(item.address)) {
            streams_ << original;
            continue;
        }
        // Documents that only name more documents (one naming itself) would never end.
        if (documents_ >= maxDocuments_)
            continue;
        fetch(item.address, original);
        return;
    }
    emit finished(streams_, documents_);
}

void AsxReader::fetch(const QUrl &address, const QString &original) {
    fetching_ = original;
    body_.clear();
    QNetworkRequest request(address);
    request.setTransferTimeout(StallTimeoutMs);
    if (!headers_.userAgent.isEmpty())
        request.setRawHeader("User-Agent", headers_.userAgent.toUtf8());
    if (!headers_.referrer.isEmpty())
        request.setRawHeader("Referer", headers_.referrer.toUtf8());
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &AsxReader::received);
    connect(reply_, &QNetworkReply::finished, this, &AsxReader::fetched);
}

// The first bytes tell whether it is an ASX at all: a stream under an ASX name is handed on at
// once rather than read for a mebibyte.
void AsxReader::received() {
    body_ += reply_->read(MaxDocumentBytes - body_.size());
    emit progressed();
    const AsxSniff kind = sniffAsx(body_);
    if (kind == AsxSniff::NotAsx || body_.size() >= MaxDocumentBytes)
        done(kind == AsxSniff::Asx);
}

void AsxReader::fetched() {
    body_ += reply_->read(MaxDocumentBytes - body_.size());
    done(reply_->error() == QNetworkReply::NoError && sniffAsx(body_) == AsxSniff::Asx);
}

// An ASX document's items take its place among what is left to read; anything else goes to the
// engine as it is.
void AsxReader::done(bool isAsx) {
    QNetworkReply *reply = std::exchange(reply_, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    if (isAsx) {
        ++documents_;
        // Relative references are relative to where the document came from, redirects followed.
        const std::vector<AsxItem> items = readAsx(body_, reply->url());
        pending_.insert(pending_.begin(), items.begin(), items.end());
    } else {
        streams_ << fetching_;
    }
    body_.clear();
    next();
}
