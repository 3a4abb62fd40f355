#include "state/StateFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>

#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono_literals;

// The format this program writes; a file in a later one is kept aside, not read.
constexpr qint64 Format = 1;
// Larger files are none of ours.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
// A write takes milliseconds. A lock left by an instance that has ended is seen as such at once;
// one older than this is taken for an instance that hangs.
constexpr std::chrono::milliseconds StaleLockTime = 10s;
constexpr std::chrono::milliseconds LockWait = StaleLockTime + 1s;
// The addresses in the files may carry passwords.
constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions OwnerFolder = OwnerOnly | QFile::ExeOwner;

QString xdgFolder(const char *variable, const QString &fallback) {
    const QString base = qEnvironmentVariable(variable);
    // XDG base directories are absolute; a relative one is to be ignored.
    const QString chosen = QDir::isAbsolutePath(base) ? base : QDir::homePath() + u'/' + fallback;
    return QDir::cleanPath(chosen + QStringLiteral("/ruredivu"));
}

// Qt's own words for an error, to go inside a sentence of ours.
QString errorText(const QFileDevice &file) {
    QString text = file.errorString().trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// Makes the folder and those missing above it, for the owner alone as XDG base directories are to
// be made. Another instance may make one at the same moment.
bool makeFolder(const QString &path) {
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    return parent != path && makeFolder(parent) &&
           (QDir().mkdir(path, OwnerFolder) || QFileInfo(path).isDir());
}

// Empty when the lock is taken, else why not.
QString takeLock(QLockFile &lock) {
    lock.setStaleLockTime(StaleLockTime);
    if (lock.tryLock(LockWait))
        return {};
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return QStringLiteral("another instance of the program holds its lock");
    case QLockFile::PermissionError:
        return QStringLiteral("its folder is not writable");
    default:
        return QStringLiteral("its lock could not be made");
    }
}

} // namespace

QString stateFolder() {
    return xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
}

QString dataFolder() {
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

StateFile::StateFile(QString folder, QString name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

QString StateFile::path() const {
    return folder_ + u'/' + name_;
}

QString StateFile::lockPath() const {
    return path() + QStringLiteral(".lock");
}

void StateFile::read(const Take &take) const {
    const QString why = readInto(take);
    if (why.isEmpty())
        return;
    // Kept aside under the lock, lest it be a good file that another instance has just put in
    // place of the one read.
    QLockFile lock(lockPath());
    const QString problem = takeLock(lock);
    if (problem.isEmpty())
        readOrKeepAside(take);
    else
        complain(why, QStringLiteral("it could not be kept aside (%1)").arg(problem));
}

bool StateFile::write(const Take &take, const Contents &contents) const {
    const QString problem = writeUnderLock(take, contents);
    if (problem.isEmpty())
        return true;
    std::fprintf(stderr,
                 "ruredivu: %s could not be written (%s); the change is kept and written with the "
                 "next one\n",
                 qPrintable(path()), qPrintable(problem));
    return false;
}

bool StateFile::forget() const {
    QDir folder(folder_);
    if (!folder.exists())
        return true;
    bool removed = true;
    {
        QLockFile lock(lockPath());
        // Everything goes whether or not the lock is taken: the user asked for it. Files kept
        // aside go too, for the same reason.
        const bool locked = takeLock(lock).isEmpty();
        const QStringList names = folder.entryList({name_, name_ + QStringLiteral(".*")},
                                                   QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            if (!(locked && folder.filePath(name) == lockPath()))
                removed = folder.remove(name) && removed;
        }
    }
    // Fails, as it should, while the user's own files are in it.
    QDir().rmdir(folder_);
    return removed;
}

// Why the file cannot be read; empty when it was read, or when there is none.
QString StateFile::readInto(const Take &take) const {
    QFile file(path());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return errorText(file);
    if (file.size() > MaxFileBytes)
        return QStringLiteral("it is larger than %1 MiB").arg(MaxFileBytes / (1024 * 1024));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return errorText(file);
    if (bytes.trimmed().isEmpty())
        return QStringLiteral("it is empty");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("it is damaged: %1 at byte %2")
            .arg(error.errorString())
            .arg(error.offset);
    const qint64 format = document.object().value(u"version").toInteger();
    if (format > Format)
        return QStringLiteral("it is in format %1, later than this version of the program reads")
            .arg(format);
    if (format < 1 || !take(document.object()))
        return QStringLiteral("it is not in this program's format");
    return {};
}

// Reads the file; one that cannot be read is kept aside. False when it could not be kept aside
// either. The caller holds the lock.
bool StateFile::readOrKeepAside(const Take &take) const {
    const QString why = readInto(take);
    if (why.isEmpty())
        return true;
    QString problem;
    const QString kept = keepAside(problem);
    complain(why, kept.isEmpty() ? QStringLiteral("it could not be kept aside (%1)").arg(problem)
                                 : QStringLiteral("it is kept as %1").arg(kept));
    return !kept.isEmpty();
}

void StateFile::complain(const QString &why, const QString &outcome) const {
    std::fprintf(stderr,
                 "ruredivu: %s could not be read (%s); %s and the program starts without it\n",
                 qPrintable(path()), qPrintable(why), qPrintable(outcome));
}

// Renames the file to a name of its own, never one that an earlier file kept aside has: the new
// path, or empty and why not.
QString StateFile::keepAside(QString &problem) const {
    const QString stem = path() + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString kept = stem;
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = stem + u'-' + QString::number(n);
    QFile file(path());
    // QFile::rename replaces no file.
    if (file.rename(kept))
        return kept;
    problem = errorText(file);
    return {};
}

// Empty when written, else why not.
QString StateFile::writeUnderLock(const Take &take, const Contents &contents) const {
    if (!makeFolder(folder_))
        return QStringLiteral("its folder could not be made");
    QLockFile lock(lockPath());
    if (const QString problem = takeLock(lock); !problem.isEmpty())
        return problem;
    removeLeftovers();
    if (!readOrKeepAside(take))
        return QStringLiteral("the file in its place could not be kept aside");
    QJsonObject written = contents();
    written.insert(u"version", Format);
    const QByteArray bytes = QJsonDocument(written).toJson();
    QSaveFile file(path());
    // QSaveFile makes a new file as the umask allows. Unbuffered, so that a write cut short (a
    // full disk) is seen here: Qt takes a write that put part of its bytes for no error, and its
    // buffered commit() puts the part in place of the good file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !file.setPermissions(OwnerOnly))
        return errorText(file);
    const qint64 done = file.write(bytes);
    if (done < 0)
        return errorText(file);
    if (done < bytes.size())
        return QStringLiteral("only %1 of its %2 bytes could be written")
            .arg(done)
            .arg(bytes.size());
    if (!file.commit())
        return errorText(file);
    return {};
}

// Files that a write cut short by a crash left next to the file (QSaveFile names them so where
// the system cannot make them nameless). Under the lock, no other write is under way.
void StateFile::removeLeftovers() const {
    QDir folder(folder_);
    const QStringList names =
        folder.entryList({name_ + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        folder.remove(name);
}
