#pragma once

#include "catalogue/ChannelSource.h"

#include <QObject>
#include <QTimer>

#include <optional>

struct Controls;
class TuningState;

// Changing channel without the list: the next or previous channel of the zap list, a channel by
// its number, and the channel tuned before. Each tunes exactly as a click on that channel's row
// does, moving the list's selection to it where the list shows it. Zaps that follow each other
// faster than a channel opens (a held key) only move the selection and the banner; the channel
// where they stop is tuned once they have settled.
class Zapper : public QObject {
    Q_OBJECT
public:
    Zapper(const Controls &c, TuningState &tuning);

    void zap(int step);
    void tuneNumber(qint32 number);
    void tuneLast();
    // The zap list's row; a zap still settling is dropped.
    void tuneRow(qsizetype row);

signals:
    // A zap waits for the keys to settle; `item`'s `channel` is where it will tune.
    void heading(const ListItem &item, const Channel &channel);

private:
    void tuneItem(const ListItem &item);
    void settled();

    const Controls &c_;
    TuningState &tuning_;
    QTimer settle_;                  // runs from a zap until the next may tune at once
    std::optional<qsizetype> aimed_; // the zap list's row that waits to be tuned
};
