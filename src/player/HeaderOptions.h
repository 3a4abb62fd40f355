#pragma once

#include "player/Player.h"

#include <QByteArray>

// The headers that may go out. A value with a control character could end its header line early
// and add headers of its own, so it is not sent at all.
StreamHeaders sendableHeaders(const StreamHeaders &headers);

// The engine's per-file options of `loadfile` that send `headers` with every HTTP request of the
// stream, its HLS playlists and segments included; empty when there are none. The options end
// with the file, so the next one goes out with the engine's own headers.
QByteArray loadOptions(const StreamHeaders &headers);
