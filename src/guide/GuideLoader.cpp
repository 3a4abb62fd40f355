#include "guide/GuideLoader.h"

#include "guide/GuideReader.h"
#include "net/ThreadEnd.h"

#include <QThread>

GuideLoader::GuideLoader(std::chrono::milliseconds stallTimeout, QObject *parent)
    : QObject(parent), thread_(new QThread), reader_(new GuideReader(stallTimeout)) {
    thread_->setObjectName(QStringLiteral("guide loader"));
    reader_->moveToThread(thread_);
    connect(thread_, &QThread::finished, reader_, &QObject::deleteLater);
    connect(reader_, &GuideReader::done, this,
            [this](quint64 load, std::shared_ptr<const ChannelGuide> guide, const QString &summary,
                   const QStringList &problems) {
                // A result that was under way when a newer load began, or the load was dropped.
                if (load != loads_)
                    return;
                if (guide)
                    emit loaded(std::move(guide), summary, problems);
                else
                    emit failed(summary);
            });
    thread_->start();
}

GuideLoader::~GuideLoader() {
    reader_->want(0);
    endWorkerThread(thread_);
}

void GuideLoader::load(const QStringList &sources, std::shared_ptr<const Playlist> playlist) {
    const quint64 load = ++loads_;
    reader_->want(load);
    QMetaObject::invokeMethod(
        reader_,
        [reader = reader_, load, sources, playlist = std::move(playlist)] {
            reader->read(load, sources, playlist);
        },
        Qt::QueuedConnection);
}

void GuideLoader::cancel() {
    ++loads_;
    reader_->want(0);
    QMetaObject::invokeMethod(reader_, &GuideReader::drop, Qt::QueuedConnection);
}
