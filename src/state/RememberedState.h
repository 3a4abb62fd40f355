#pragma once
// Everything the program remembers between runs, in the folders that the environment names for
// it (see stateFolder() and dataFolder()).

#include "state/Favourites.h"
#include "state/RecentPlaylists.h"

class RememberedState {
public:
    // Reads nothing yet.
    RememberedState();

    // Reads what earlier runs remembered; makes no file or folder.
    void load();
    RecentPlaylists &playlists() { return playlists_; }
    const RecentPlaylists &playlists() const { return playlists_; }
    Favourites &favourites() { return favourites_; }
    const Favourites &favourites() const { return favourites_; }

    // Removes every file the program wrote, and its folders where nothing else is in them. False
    // when something could not be removed.
    bool forgetEverything();

private:
    RecentPlaylists playlists_;
    Favourites favourites_;
};
