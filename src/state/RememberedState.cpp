#include "state/RememberedState.h"

#include "state/StateFile.h"

RememberedState::RememberedState() : playlists_(stateFolder()), favourites_(dataFolder()) {}

void RememberedState::load() {
    playlists_.load();
    favourites_.load();
}

bool RememberedState::forgetEverything() {
    const bool playlistsGone = playlists_.forget();
    return favourites_.forget() && playlistsGone;
}
