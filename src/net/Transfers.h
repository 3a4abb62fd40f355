#pragma once
// What went wrong with a transfer, as the end of a sentence of the program's ("the server
// answered 404 Not Found"): the words that the readers of playlists and of guides share.

#include <QString>

#include <chrono>

class QIODevice;
class QNetworkReply;
class QUrl;

// More redirects than this are taken for a loop.
constexpr int MaxRedirects = 10;

// Qt's own words for an error, to go inside a sentence of ours.
QString errorText(const QIODevice &device);

// Why the finished transfer brought nothing, or not the whole of `what` ("list", "guide"), for a
// reader that gives up after `stallTimeout` without progress; empty when it went well.
QString transferError(const QNetworkReply &reply, std::chrono::milliseconds stallTimeout,
                      const QString &what);
// That the transfer ended before the whole of `what` came.
QString brokenOff(const QString &what);

// Why the redirect from `from` to `to`, the `redirects`th in a row, is not followed; empty when
// it is. Never to a local file, which a list from the network may not name either.
QString redirectError(const QUrl &from, const QUrl &to, int redirects);
