#include "logos/LogoCache.h"

#include "logos/LogoFetcher.h"
#include "net/Addresses.h"
#include "net/ThreadEnd.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QPointer>
#include <QThread>

#include <iterator>
#include <utility>

namespace {

// What decoding the largest logo allowed takes, in MiB: 4 bytes a pixel.
constexpr int MaxDecodeMiB = MaxLogoSide * MaxLogoSide * 4 / (1024 * 1024);

// Qt's limit on what one decode may allocate holds for the whole process. Lowered (never
// raised) to what the largest logo needs, it also stops pictures in formats whose size cannot
// be read before they are decoded. Done once, before any cache's thread decodes.
void limitDecoding() {
    [[maybe_unused]] static const bool limited = [] {
        const int limit = QImageReader::allocationLimit();
        if (limit == 0 || limit > MaxDecodeMiB)
            QImageReader::setAllocationLimit(MaxDecodeMiB);
        return true;
    }();
}

// Where the logo of `address` comes from: an http or https address, or a local file (a path or
// a file: URL); empty when it names neither. Relative paths name nothing certain here.
QUrl locate(const QString &address) {
    // A Windows path's drive letter would pass for a scheme.
    if (QDir::isAbsolutePath(address))
        return QUrl::fromLocalFile(address);
    const QUrl url(address);
    if (url.isLocalFile())
        return url;
    return isWebAddress(url) && url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

} // namespace

LogoCache::LogoCache(Limits limits, QObject *parent)
    : QObject(parent), limits_(limits), thread_(new QThread),
      fetcher_(new LogoFetcher(limits.maxBytes, limits.timeout)) {
    limitDecoding();
    logos_.setMaxCost(limits.memoryBudget);
    thread_->setObjectName(QStringLiteral("logo fetcher"));
    fetcher_->moveToThread(thread_);
    connect(thread_, &QThread::finished, fetcher_, &QObject::deleteLater);
    connect(fetcher_, &LogoFetcher::done, this, &LogoCache::received);
    thread_->start();
}

LogoCache::~LogoCache() {
    endWorkerThread(thread_);
}

QImage LogoCache::logo(const QString &address, bool localAllowed) {
    const QUrl location = locate(address);
    if (location.isLocalFile() && !localAllowed) {
        noteFailure(refused_, address);
        return {};
    }
    if (const QImage *kept = logos_.object(address))
        return *kept;
    if (location.isEmpty())
        noteFailure(failed_, address);
    else if (!failed_.contains(address) && !running_.contains(address))
        ask(address, location);
    return {};
}

void LogoCache::ask(const QString &address, const QUrl &location) {
    if (const auto since = waitingSince_.find(address); since != waitingSince_.end()) {
        // Asked for again: it is still on the screen, so it goes first.
        auto waiting = waiting_.extract(*since);
        waiting.key() = *since = ++asks_;
        waiting_.insert(std::move(waiting));
        return;
    }
    waiting_.emplace(++asks_, Ask{address, location});
    waitingSince_.insert(address, asks_);
    startWaiting();
    while (qsizetype(waiting_.size()) > limits_.waiting) {
        waitingSince_.remove(waiting_.begin()->second.address);
        waiting_.erase(waiting_.begin());
    }
}

void LogoCache::startWaiting() {
    while (running_.size() < limits_.parallel && !waiting_.empty()) {
        const auto newest = std::prev(waiting_.end());
        const Ask ask = std::move(newest->second);
        waiting_.erase(newest);
        waitingSince_.remove(ask.address);
        running_.insert(ask.address);
        QMetaObject::invokeMethod(
            fetcher_, [fetcher = fetcher_, ask] { fetcher->fetch(ask.address, ask.location); },
            Qt::QueuedConnection);
    }
}

void LogoCache::received(const QString &address, const QImage &logo) {
    running_.remove(address);
    startWaiting();
    // One larger than the whole budget cannot be kept, and fetching it again would not help.
    if (logo.isNull() || !logos_.insert(address, new QImage(logo), logo.sizeInBytes()))
        return noteFailure(failed_, address);
    emit arrived(address);
}

void LogoCache::noteFailure(QSet<QString> &failures, const QString &address) {
    if (failures.contains(address))
        return;
    failures.insert(address);
    // Never from within logo(): the caller may be painting.
    QMetaObject::invokeMethod(
        this, [this, address] { emit failed(address); }, Qt::QueuedConnection);
}
