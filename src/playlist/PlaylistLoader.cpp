#include "playlist/PlaylistLoader.h"

#include "net/ThreadEnd.h"
#include "playlist/PlaylistReader.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

PlaylistLoader::PlaylistLoader(std::chrono::milliseconds stallTimeout, QObject *parent)
    : QObject(parent), thread_(new QThread), reader_(new PlaylistReader(stallTimeout)) {
    thread_->setObjectName(QStringLiteral("playlist loader"));
    reader_->moveToThread(thread_);
    connect(thread_, &QThread::finished, reader_, &QObject::deleteLater);
    connect(reader_, &PlaylistReader::done, this,
            [this](quint64 load, std::shared_ptr<const Playlist> playlist, const QString &error) {
                // A result that was under way when a newer load began.
                if (load != loads_)
                    return;
                if (playlist)
                    emit loaded(std::move(playlist));
                else if (source_.trimmed().isEmpty())
                    emit failed(QStringLiteral("Could not open a playlist: %1.").arg(error));
                else
                    emit failed(
                        QStringLiteral("Could not open the playlist %1: %2.").arg(source_, error));
            });
    thread_->start();
}

PlaylistLoader::~PlaylistLoader() {
    reader_->want(0);
    endWorkerThread(thread_);
}

void PlaylistLoader::load(const QString &source) {
    source_ = source;
    const quint64 load = ++loads_;
    reader_->want(load);
    QMetaObject::invokeMethod(
        reader_, [reader = reader_, load, source] { reader->read(load, source); },
        Qt::QueuedConnection);
}
