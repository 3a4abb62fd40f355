#include "player/AsxReader.h"

#include "net/Addresses.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace {

// A playlist is small; more than this is something else, or a server that sends for ever.
constexpr qsizetype MaxDocumentBytes = 1024 * 1024;
// A server that sends nothing for this long has given up.
constexpr int StallTimeoutMs = 10'000;

const QStringList AsxSuffixes{".asx", ".wax", ".wvx", ".wmx"};

} // namespace

AsxReader::AsxReader(QNetworkAccessManager &network, const StreamHeaders &headers, int maxDocuments)
    : network_(network), headers_(headers), maxDocuments_(maxDocuments) {
    // A document's items take its place among what is left to read.
    connect(&parsing_, &QFutureWatcher<std::vector<AsxItem>>::finished, this, [this] {
        const std::vector<AsxItem> items = parsing_.result();
        pending_.insert(pending_.begin(), items.begin(), items.end());
        next();
    });
}

AsxReader::~AsxReader() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

bool AsxReader::mayBeAsx(const QUrl &address) {
    const QString path = address.path();
    return isWebAddress(address) &&
           std::any_of(AsxSuffixes.begin(), AsxSuffixes.end(),
                       [&](auto &s) { return path.endsWith(s, Qt::CaseInsensitive); });
}

void AsxReader::read(const QString &address) {
    address_ = address;
    pending_ = {{QUrl(address), true}};
    next();
}

// Takes the streams that come before the next document to read; once nothing is left to read,
// all are known.
void AsxReader::next() {
    while (!pending_.empty()) {
        const AsxItem item = pending_.front();
        pending_.pop_front();
        const QString original =
            documents_ == 0 ? address_ : item.address.toString(QUrl::FullyEncoded);
        if (!item.nested || !isWebAddress(item.address)) {
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
    kind_ = AsxSniff::Undecided;
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
    if (kind_ == AsxSniff::Undecided)
        kind_ = sniffAsx(body_);
    if (kind_ == AsxSniff::NotAsx || body_.size() >= MaxDocumentBytes)
        done(kind_ == AsxSniff::Asx);
}

void AsxReader::fetched() {
    body_ += reply_->read(MaxDocumentBytes - body_.size());
    if (kind_ == AsxSniff::Undecided)
        kind_ = sniffAsx(body_);
    done(reply_->error() == QNetworkReply::NoError && kind_ == AsxSniff::Asx);
}

// An ASX document is read on a thread of the pool: a mebibyte of it takes long enough to be seen
// in the window. Anything else goes to the engine as it is.
void AsxReader::done(bool isAsx) {
    QNetworkReply *reply = std::exchange(reply_, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    if (!isAsx) {
        body_.clear();
        streams_ << fetching_;
        next();
        return;
    }
    ++documents_;
    auto promise = std::make_shared<QPromise<std::vector<AsxItem>>>();
    parsing_.setFuture(promise->future());
    promise->start();
    // Relative references are relative to where the document came from, redirects followed.
    QThreadPool::globalInstance()->start(
        [promise, body = std::exchange(body_, {}), location = reply->url()] {
            promise->addResult(readAsx(body, location));
            promise->finish();
        });
}
