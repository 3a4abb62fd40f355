#pragma once

#include "catalogue/ChannelSource.h"
#include "state/RememberedState.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

struct Controls;
class FavouritesSource;
class MainForm;
class ProgramMenu;
class TuningState;

// What the window keeps between runs: the playlist it opens at start and the channel last tuned
// from it, the recent playlists and the favourites; and the program's menu that reaches them.
// Nothing is written before the user opens a playlist, marks a favourite or chooses the built-in
// channels.
class Remembering : public QObject {
    Q_OBJECT
public:
    Remembering(MainForm &form, const Controls &c, TuningState &tuning);
    // Writes the last channel if it still waits to be.
    ~Remembering() override;

    // Opens the playlist opened last, when that is what the user chose last, with the guides
    // given for it unless `guides` names others; nothing plays.
    void openLastPlaylist(const QStringList &guides);
    // The channels of a source, with the favourites kept for `playlist` first; an empty address
    // stands for the built-in channels.
    std::shared_ptr<const ChannelSource>
    withFavourites(std::shared_ptr<const ChannelSource> channels, const QString &playlist);
    // A playlist was shown: it goes first among the recent ones, and the last-channel key tunes
    // the channel last tuned from it.
    void playlistOpened(const QString &playlist, const QStringList &guides);
    void builtInChosen();
    // Marks the channel selected in the side panel, else the one tuned, or unmarks it.
    void toggleFavourite();

    ProgramMenu &menu() { return *menu_; }
    const RememberedState &state() const { return state_; }

private:
    struct Marked {
        ListItem item;
        ChannelKey key;
        bool radio;
    };
    std::optional<Marked> markable() const;
    ListItems favourites(const QString &playlist, TunerKind tuner) const;
    void showFavourites();
    void noteTuned(const ListItem &item);
    void writeLastChannel();
    void openFile();
    void openAddress();
    void openRecent(int index);
    void confirmForgetting();
    void forgetEverything();

    MainForm &form_;
    const Controls &c_;
    TuningState &tuning_;
    RememberedState state_;
    std::shared_ptr<FavouritesSource> source_; // the tuning's source
    QString playlist_;                         // the playlist shown; empty: the built-in channels
    QTimer lastChannelWait_;
    std::optional<std::pair<QString, ChannelKey>> lastChannel_; // tuned, not yet written
    ProgramMenu *menu_;
};
