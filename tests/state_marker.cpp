// One of several instances of the program marking favourites at once, as fast as it can: COUNT
// channels of PLAYLIST's TV tuner, with tvg-ids PREFIX-0, PREFIX-1, ..., each third one unmarked
// right after it is marked. Exits with 1 when a change could not be written.
//
//     state_marker PLAYLIST PREFIX COUNT

#include "state/Favourites.h"
#include "state/StateFile.h"

#include <QCoreApplication>

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4)
        return 2;
    const QString &playlist = arguments[1];
    const QString &prefix = arguments[2];
    const int count = arguments[3].toInt();
    Favourites favourites(dataFolder());
    favourites.load();
    bool written = true;
    for (int i = 0; i < count; ++i) {
        const ChannelKey key{prefix + u'-' + QString::number(i), {}, {}};
        written = favourites.mark(playlist, key, false) && written;
        if (i % 3 == 2)
            written = favourites.unmark(playlist, key, false) && written;
    }
    return written ? 0 : 1;
}
