#pragma once

#include <QObject>
#include <QString>

// A player that the zap figures drive: it changes to an address and says when that address's
// first video frame is on screen.
class ZapSubject : public QObject {
    Q_OBJECT
public:
    // The process whose CPU time and memory are the player's.
    virtual qint64 pid() const = 0;
    // Replaces whatever plays by the address; shown() follows its first frame on screen.
    virtual void tune(const QString &url) = 0;

signals:
    void ready(); // idle, with its window up, waiting for a first address
    void shown();
};
