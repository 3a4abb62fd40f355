#pragma once
// A file of what the program remembers, shared by every instance of the program that runs at
// once. Nothing is made before there is something to write. A write replaces the file whole, so
// a crash or a full disk leaves the last good one; writes take a lock that instances share, and
// read the file afresh under it, so that one instance's write keeps another's changes. A file that
// cannot be read is kept aside under a name of its own, never lost and never in the way.
//
// The files are JSON objects with a "version" field: the format they are in.

#include <QJsonObject>
#include <QString>

#include <functional>

// Where the program keeps what it was doing when it ended (recent playlists, the last channels):
// $XDG_STATE_HOME/ruredivu, by default ~/.local/state/ruredivu.
QString stateFolder();
// Where it keeps what the user made (favourites): $XDG_DATA_HOME/ruredivu, by default
// ~/.local/share/ruredivu.
QString dataFolder();

class StateFile {
public:
    // Takes what a file holds; false when that is not in the format this program writes.
    using Take = std::function<bool(const QJsonObject &)>;
    using Contents = std::function<QJsonObject()>;

    StateFile(QString folder, QString name);

    QString path() const;

    // Gives what the file holds to `take`; nothing when there is no file or it cannot be read.
    void read(const Take &take) const;
    // Under the lock: gives what the file holds now to `take` as read() does, then replaces the
    // file with `contents()`. False, with a line on standard error, when it could not be written;
    // the file is then as it was.
    bool write(const Take &take, const Contents &contents) const;
    // Removes every file of this name that the program made (the file, its lock, files kept aside
    // and files left by a write that was cut short), and the folder if nothing else is in it.
    // False when one of them could not be removed.
    bool forget() const;

private:
    QString lockPath() const;
    QString readInto(const Take &take) const;
    bool readOrKeepAside(const Take &take) const;
    void complain(const QString &why, const QString &outcome) const;
    QString keepAside(QString &problem) const;
    QString writeUnderLock(const Take &take, const Contents &contents) const;
    void removeLeftovers() const;

    QString folder_;
    QString name_;
};
