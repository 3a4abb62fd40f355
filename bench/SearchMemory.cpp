// Prints the heap that the search index of the playlist named on the command line takes:
//   search.index_bytes_per_entry  the index's bytes over the loaded playlist's, per entry
//   search.find_ms                one search of the whole list for a letter that every title
//                                 holds, without showing anything

#include "ProcStat.h"

#include "playlist/Playlist.h"
#include "search/TitleSearch.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include <malloc.h>

#include <cstdio>

int main(int argc, char **argv) {
    // One arena for every thread, so that the index made on its own thread is counted too.
    mallopt(M_ARENA_MAX, 1);
    QCoreApplication app(argc, argv);
    const QString path = QCoreApplication::arguments().value(1);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench: cannot read %s\n", qPrintable(path));
        return 1;
    }
    ParsedPlaylist parsed = parsePlaylist(file.readAll(), QUrl::fromLocalFile(path));
    if (!parsed.playlist) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(parsed.error));
        return 1;
    }
    const auto playlist = std::make_shared<const Playlist>(std::move(*parsed.playlist));
    malloc_trim(0);
    const size_t before = mallinfo2().uordblks;
    TitleSearch search(playlist);
    // The first search waits for the index.
    search.find(u"zzzz", false);
    const size_t after = mallinfo2().uordblks;
    std::printf("search.index_bytes_per_entry %.3f\n",
                double(after - before) / double(playlist->size()));
    const qint64 start = monotonicNs();
    const size_t found = search.find(u"c", false).size();
    std::printf("search.find_ms %.3f\n", double(monotonicNs() - start) / 1e6);
    return found > 0 ? 0 : 1;
}
