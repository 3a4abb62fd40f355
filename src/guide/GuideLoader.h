#pragma once
// Reads a playlist's guides from files or http(s) addresses on a thread of its own, while the
// window works normally, and hands over the finished guide matched to the playlist, or one
// sentence saying why there is none. A guide that fails costs nothing but itself.

#include "guide/ChannelGuide.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

class GuideReader;
class Playlist;
class QThread;

class GuideLoader : public QObject {
    Q_OBJECT
public:
    // A transfer that makes no progress for `stallTimeout` fails.
    explicit GuideLoader(std::chrono::milliseconds stallTimeout = std::chrono::seconds(15),
                         QObject *parent = nullptr);
    // Returns at once, as the playlist loader does; a guide being read is left to end alone.
    ~GuideLoader() override;

    // Reads `sources` (local paths, file: URLs or http/https addresses, already resolved) in
    // order for `playlist`. A load still running is dropped and its result never arrives.
    void load(const QStringList &sources, std::shared_ptr<const Playlist> playlist);
    // Drops the load under way, if any: its result never arrives.
    void cancel();

signals:
    // `summary`: the status line's sentence ("Guide loaded: 1,000,000 programmes for 4,400 of
    // 4,400 channels"); `problems`: one sentence for each guide that could not be read whole.
    void loaded(std::shared_ptr<const ChannelGuide> guide, const QString &summary,
                const QStringList &problems);
    void failed(const QString &message);

private:
    QThread *thread_;
    GuideReader *reader_; // lives on `thread_`
    quint64 loads_ = 0;   // the number of the load whose result is awaited
};
