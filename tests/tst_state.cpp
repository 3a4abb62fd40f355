// What the program remembers between runs, in the folders that the environment names: recent
// playlists with their guides and last channels, the choice to start with, and favourites, as one
// instance of the program and as several at once (in one process and in two); the store against
// its faults (no folder yet, a folder it cannot write or make, a full disk, files damaged, empty,
// too large or of a later format, files left by a crash or by an instance that ended), each case
// ending with nothing lost; nothing made before there is something to remember, files for the
// owner alone, and nothing left once everything is forgotten.

#include "state/RememberedState.h"
#include "state/StateFile.h"
#include "support/StateHome.h"
#include "support/StderrCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <iterator>
#include <optional>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString ListAddress = QStringLiteral("http://lists.example/tv.m3u");
constexpr QFile::Permissions OpenFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
std::optional<QByteArray> contents(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

mode_t modeOf(const QString &path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

// A lock as an instance of the program leaves it when it ends without taking it away.
bool leaveLock(const QString &file) {
    QFile lock(file + QStringLiteral(".lock"));
    return lock.open(QIODevice::WriteOnly) && lock.write("4000000\nruredivu\n\n") > 0 &&
           lock.setFileTime(QDateTime::currentDateTime().addDays(-1),
                            QFileDevice::FileModificationTime);
}

// Whether a folder's mode stops this user's writes; root's it does not.
bool modesBind() {
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool bind = !QFile(dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
    QFile::setPermissions(dir.path(), OpenFolder);
    return bind;
}

bool closeFolder(const QString &folder) {
    return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
}

// Writes into any file past `bytes` fail while it lives, as they do on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        // Else the signal ends the process rather than fail the write.
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

bool matches(const QString &text, const QString &pattern) {
    return pattern.isEmpty() ? text.isEmpty() : QRegularExpression(pattern).match(text).hasMatch();
}

QString keyText(const ChannelKey &key) {
    return key.tvgId.isEmpty() ? key.title + u'@' + key.group : key.tvgId;
}

QString keyTexts(const QList<ChannelKey> &keys) {
    QStringList texts;
    for (const ChannelKey &key : keys)
        texts << keyText(key);
    return texts.join(u' ');
}

QString favouriteTexts(const Favourites &favourites) {
    return keyTexts(favourites.list(ListAddress, false));
}

QString recentTexts(const RecentPlaylists &playlists) {
    static const char *const StartNames[] = {"nothing", "built-in", "playlist"};
    QString text = QLatin1String(StartNames[int(playlists.startChoice())]) + u':';
    for (const RecentPlaylist &playlist : playlists.recent()) {
        text += u' ' + playlist.address;
        if (!playlist.guides.isEmpty())
            text += u'{' + playlist.guides.join(u',') + u'}';
        if (playlist.lastChannel)
            text += u'=' + keyText(*playlist.lastChannel);
    }
    return text;
}

// Plays `script` on two instances of the program, A and B, each loaded first: "A+x" marks the
// channel with tvg-id x as a favourite of the TV tuner in A, "A-x" unmarks it, "Aop{g,h}" opens
// playlist p with guides g and h, "Atp=k" tunes channel k of playlist p, "Ab" chooses the
// built-in channels, "Af" forgets everything, "Al" loads again. False when a change was not
// written.
bool play(const QString &script, RememberedState (&instances)[2]) {
    for (RememberedState &instance : instances)
        instance.load();
    bool written = true;
    for (const QString &step : script.split(u' ', Qt::SkipEmptyParts)) {
        RememberedState &instance = instances[step[0] == u'B'];
        const QString argument = step.mid(2);
        const QStringList tuned = argument.split(u'=');
        const qsizetype brace = argument.indexOf(u'{');
        const QStringList guides =
            brace < 0 ? QStringList() : argument.mid(brace + 1).chopped(1).split(u',');
        bool done = true;
        switch (step[1].unicode()) {
        case u'+':
            done = instance.favourites().mark(ListAddress, {argument, {}, {}}, false);
            break;
        case u'-':
            done = instance.favourites().unmark(ListAddress, {argument, {}, {}}, false);
            break;
        case u'o':
            done = instance.playlists().playlistOpened(argument.left(brace), guides);
            break;
        case u't':
            done = instance.playlists().channelTuned(tuned[0], {tuned.value(1), {}, {}});
            break;
        case u'b':
            done = instance.playlists().chooseBuiltIn();
            break;
        case u'f':
            done = instance.forgetEverything();
            break;
        case u'l':
            instance.load();
            break;
        default:
            return false;
        }
        written = written && done;
    }
    return written;
}

// How a store is driven by the fault cases: a long text remembered (a favourite's tvg-id, a
// playlist's address) and read back, so that a file of three passes the full disk's limit.
struct StoreKind {
    const char *name;
    const char *variable; // naming the folder it is kept under
    QString (*path)(const RememberedState &);
    bool (*remember)(RememberedState &, const QString &text);
    QStringList (*remembered)(const RememberedState &); // in the order remembered
};

const StoreKind Kinds[] = {
    {"favourites", "XDG_DATA_HOME",
     [](const RememberedState &state) { return state.favourites().path(); },
     [](RememberedState &state, const QString &text) {
         return state.favourites().mark(ListAddress, {text, {}, {}}, false);
     },
     [](const RememberedState &state) {
         QStringList texts;
         for (const ChannelKey &key : state.favourites().list(ListAddress, false))
             texts << key.tvgId;
         return texts;
     }},
    {"recent playlists", "XDG_STATE_HOME",
     [](const RememberedState &state) { return state.playlists().path(); },
     [](RememberedState &state, const QString &text) {
         return state.playlists().playlistOpened(text, {});
     },
     [](const RememberedState &state) {
         QStringList texts;
         for (const RecentPlaylist &playlist : state.playlists().recent())
             texts.prepend(playlist.address);
         return texts;
     }},
};

constexpr rlim_t FullDiskBytes = 512;

QString item(QChar letter) {
    return letter + QStringLiteral("-") + QString(200, u'x');
}

QString letters(const QStringList &items) {
    QString text;
    for (const QString &it : items)
        text += it == item(it.front()) ? it.front() : u'?';
    return text;
}

enum class Fault {
    None,
    NoFolderYet,
    FolderNotWritable,
    FolderUnderAFile,
    DiskFull,
    Truncated,
    LaterFormat,
    Empty,
    NotAnObject,
    NoVersion,
    OtherFields,
    TooLarge,
    CrashBeforeRename,
    CrashAtFirstWrite,
    LockLeft,
    DamagedInClosedFolder,
};

struct FaultRow {
    const char *name;
    Fault fault;
    bool earlier;         // two texts were remembered before the fault
    const char *why;      // the load's reason on standard error; none: it says nothing
    const char *writeWhy; // the reason a change gives while the fault lasts; none: it is written
};

const FaultRow FaultRows[] = {
    {"no folder yet", Fault::NoFolderYet, false, nullptr, nullptr},
    {"a good file", Fault::None, true, nullptr, nullptr},
    {"folder not writable", Fault::FolderNotWritable, true, nullptr, "its folder is not writable"},
    {"folder under a plain file", Fault::FolderUnderAFile, false, nullptr,
     "its folder could not be made"},
    {"disk full at the write", Fault::DiskFull, true, nullptr,
     "only \\d+ of its \\d+ bytes could be written"},
    {"damaged file", Fault::Truncated, true, "it is damaged: .+ at byte \\d+", nullptr},
    {"file of a later format", Fault::LaterFormat, true,
     "it is in format 2, later than this version of the program reads", nullptr},
    {"empty file", Fault::Empty, true, "it is empty", nullptr},
    {"JSON but not an object", Fault::NotAnObject, true, "it is not in this program's format",
     nullptr},
    {"no version", Fault::NoVersion, true, "it is not in this program's format", nullptr},
    {"other fields", Fault::OtherFields, true, "it is not in this program's format", nullptr},
    {"file too large", Fault::TooLarge, true, "it is larger than 16 MiB", nullptr},
    {"crash between the write and the rename", Fault::CrashBeforeRename, true, nullptr, nullptr},
    {"crash at the first write", Fault::CrashAtFirstWrite, false, nullptr, nullptr},
    {"lock left by an instance that ended", Fault::LockLeft, true, nullptr, nullptr},
    {"damaged file in a folder not writable", Fault::DamagedInClosedFolder, true,
     "it is damaged: .+ at byte \\d+", "its folder is not writable"},
};

bool closesFolder(Fault fault) {
    return fault == Fault::FolderNotWritable || fault == Fault::DamagedInClosedFolder;
}

// Puts the fault in place before the instance under test is made.
bool prepare(Fault fault, const StoreKind &kind, StateHome &home, const QString &path) {
    const QString folder = QFileInfo(path).path();
    const QByteArray good = contents(path).value_or(QByteArray());
    const QString leftover = path + QStringLiteral(".Ab3dE9");
    switch (fault) {
    case Fault::None:
    case Fault::NoFolderYet:
    case Fault::DiskFull:
        return true;
    case Fault::FolderNotWritable:
        return closeFolder(folder);
    case Fault::FolderUnderAFile:
        home.set(kind.variable, home.path(QStringLiteral("plain/base")));
        return writeFile(home.path(QStringLiteral("plain")), "not a folder\n");
    case Fault::Truncated:
        return writeFile(path, good.left(good.size() / 2));
    case Fault::LaterFormat:
        return writeFile(path, R"({"version": 2, "channels": {}})"
                               "\n");
    case Fault::Empty:
        return writeFile(path, {});
    case Fault::NotAnObject:
        return writeFile(path, "[1, 2, 3]\n");
    case Fault::NoVersion:
        return writeFile(path, QByteArray(good).replace("\"version\"", "\"edition\""));
    case Fault::OtherFields:
        return writeFile(path, R"({"version": 1, "playlists": "none"})"
                               "\n");
    case Fault::TooLarge:
        return writeFile(path, QByteArray(16 * 1024 * 1024 + 1, ' '));
    case Fault::CrashBeforeRename:
    case Fault::CrashAtFirstWrite:
        return writeFile(leftover, good.left(good.size() / 3));
    case Fault::LockLeft:
        return leaveLock(path);
    case Fault::DamagedInClosedFolder:
        return writeFile(path, good.left(good.size() / 2)) && closeFolder(folder);
    }
    return false;
}

void clear(Fault fault, StateHome &home, const QString &path) {
    if (closesFolder(fault))
        QFile::setPermissions(QFileInfo(path).path(), OpenFolder);
    if (fault == Fault::FolderUnderAFile)
        QFile::remove(home.path(QStringLiteral("plain")));
}

QString loadLine(const FaultRow &row, const QString &path) {
    if (!row.why)
        return {};
    const QString file = QRegularExpression::escape(path);
    const QString outcome =
        closesFolder(row.fault)
            ? QStringLiteral("it could not be kept aside \\(its folder is not writable\\)")
            : QStringLiteral("it is kept as %1\\.damaged-\\d{8}-\\d{6}").arg(file);
    return QStringLiteral("^ruredivu: %1 could not be read \\(%2\\); %3 and the program starts "
                          "without it\\n$")
        .arg(file, QLatin1String(row.why), outcome);
}

QString writeLine(const FaultRow &row, const QString &path) {
    if (!row.writeWhy)
        return {};
    return QStringLiteral("^ruredivu: %1 could not be written \\(%2\\); the change is kept and "
                          "written with the next one\\n$")
        .arg(QRegularExpression::escape(path), QLatin1String(row.writeWhy));
}

QStringList keptAside(const QString &path) {
    const QFileInfo file(path);
    return QDir(file.path())
        .entryList({file.fileName() + QStringLiteral(".damaged-*")}, QDir::Files, QDir::Name);
}

struct KeyRow {
    const char *name;
    ChannelKey a;
    ChannelKey b;
    bool alike;
};

const KeyRow KeyRows[] = {
    {"same tvg-id, other titles",
     {u"bbc1.uk"_qs, u"BBC One"_qs, u"UK"_qs},
     {u"bbc1.uk"_qs, u"BBC One HD"_qs, u"Entertainment"_qs},
     true},
    {"tvg-id in another case", {u"BBC1.uk"_qs, {}, {}}, {u"bbc1.UK"_qs, {}, {}}, true},
    {"tvg-id with accents in another case",
     {u"TÉLÉ5.fr"_qs, {}, {}},
     {u"télé5.FR"_qs, {}, {}},
     true},
    {"other tvg-ids, same titles",
     {u"a.uk"_qs, u"News"_qs, u"UK"_qs},
     {u"b.uk"_qs, u"News"_qs, u"UK"_qs},
     false},
    {"a tvg-id and none", {u"news.uk"_qs, u"News"_qs, u"UK"_qs}, {{}, u"News"_qs, u"UK"_qs}, false},
    {"none and a tvg-id", {{}, u"News"_qs, u"UK"_qs}, {u"news.uk"_qs, u"News"_qs, u"UK"_qs}, false},
    {"same title and group", {{}, u"News"_qs, u"UK"_qs}, {{}, u"News"_qs, u"UK"_qs}, true},
    {"title in another case", {{}, u"News"_qs, u"UK"_qs}, {{}, u"news"_qs, u"UK"_qs}, false},
    {"other groups", {{}, u"News"_qs, u"UK"_qs}, {{}, u"News"_qs, u"World"_qs}, false},
    {"no group, both", {{}, u"News"_qs, {}}, {{}, u"News"_qs, {}}, true},
};

struct FavouritesRow {
    const char *name;
    // "+p:x" marks channel x of playlist p's TV tuner, "+p*:x" of its radio tuner, "-p:x"
    // unmarks it. Channel "x" is known by its tvg-id, "t@g" by title t and group g, "x/t@g" by
    // both.
    const char *steps;
    const char *expected; // each playlist's TV then radio favourites
};

const FavouritesRow FavouritesRows[] = {
    {"in the order marked", "+p:c +p:a +p:b", "p tv: c a b radio: | q tv: radio:"},
    {"marked twice, kept once", "+p:a +p:b +p:a", "p tv: a b radio: | q tv: radio:"},
    {"tvg-id in another case, the same channel", "+p:BBC1.uk +p:bbc1.UK",
     "p tv: BBC1.uk radio: | q tv: radio:"},
    {"unmarked by tvg-id in another case", "+p:BBC1.uk -p:bbc1.UK", "p tv: radio: | q tv: radio:"},
    {"unmarked", "+p:a +p:b +p:c -p:b", "p tv: a c radio: | q tv: radio:"},
    {"marked again goes last", "+p:a +p:b -p:a +p:a", "p tv: b a radio: | q tv: radio:"},
    {"unmarking what is not marked", "+p:a -p:b", "p tv: a radio: | q tv: radio:"},
    {"tuners apart", "+p:a +p*:a +p*:b -p:a", "p tv: radio: a b | q tv: radio:"},
    {"playlists apart", "+p:a +q:a +q*:b -p:a", "p tv: radio: | q tv: a radio: b"},
    {"by title and group without tvg-id", "+p:News@World +p:News@Local +p:News@World",
     "p tv: News@World News@Local radio: | q tv: radio:"},
    {"a tvg-id and none, two channels", "+p:news.uk/News@World +p:News@World",
     "p tv: news.uk News@World radio: | q tv: radio:"},
};

ChannelKey keyFrom(const QString &text) {
    const qsizetype slash = text.indexOf(u'/');
    const qsizetype at = text.indexOf(u'@');
    if (at < 0)
        return {text, {}, {}};
    return {text.left(std::max<qsizetype>(slash, 0)), text.mid(slash + 1, at - slash - 1),
            text.mid(at + 1)};
}

QString favouritesSummary(const Favourites &favourites) {
    QStringList parts;
    for (const char *playlist : {"p", "q"}) {
        parts << QStringLiteral("%1 tv: %2 radio: %3")
                     .arg(QLatin1String(playlist),
                          keyTexts(favourites.list(QLatin1String(playlist), false)),
                          keyTexts(favourites.list(QLatin1String(playlist), true)))
                     .simplified();
    }
    return parts.join(QStringLiteral(" | "));
}

struct ScriptRow {
    const char *name;
    const char *script;
    const char *favourites; // of the TV tuner, as a new instance reads them
    const char *recent;     // the start choice, then the recent playlists
};

const ScriptRow ScriptRows[] = {
    // One instance.
    {"nothing remembered yet", "", "", "nothing:"},
    {"one playlist", "Aop", "", "playlist: p"},
    {"most recent first", "Aop Aoq Aor", "", "playlist: r q p"},
    {"reopened goes first, once", "Aop Aoq Aop", "", "playlist: p q"},
    {"at most ten", "Ao1 Ao2 Ao3 Ao4 Ao5 Ao6 Ao7 Ao8 Ao9 Ao10 Ao11", "",
     "playlist: 11 10 9 8 7 6 5 4 3 2"},
    {"guides given with it", "Aop{g1,g2}", "", "playlist: p{g1,g2}"},
    {"guides replaced when reopened", "Aop{g1} Aoq Aop{g2,g3}", "", "playlist: p{g2,g3} q"},
    {"reopened with no guides", "Aop{g1} Aop", "", "playlist: p"},
    {"last channel", "Aop Atp=k", "", "playlist: p=k"},
    {"last channel replaced", "Aop Atp=k Atp=m", "", "playlist: p=m"},
    {"last channel kept when reopened", "Aop{g} Atp=k Aoq Aop{g}", "", "playlist: p{g}=k q"},
    {"last channel for each playlist", "Aop Atp=k Aoq Atq=m", "", "playlist: q=m p=k"},
    {"tuned from a playlist not opened", "Aop Atq=k", "", "playlist: p"},
    {"a playlist dropped from the ten is forgotten whole",
     "Ao1 At1=k Ao2 Ao3 Ao4 Ao5 Ao6 Ao7 Ao8 Ao9 Ao10 Ao11 Ao1", "",
     "playlist: 1 11 10 9 8 7 6 5 4 3"},
    {"built-in chosen", "Aop Ab", "", "built-in: p"},
    {"built-in with no playlist yet", "Ab", "", "built-in:"},
    {"a playlist after the built-in", "Ab Aop", "", "playlist: p"},
    {"favourites and playlists apart", "A+x Aop A+y", "x y", "playlist: p"},
    // Two instances at once.
    {"both mark in turn", "A+x B+y A+z B+w", "x y z w", "nothing:"},
    {"the same channel in both", "A+x B+x", "x", "nothing:"},
    {"one unmarks its own", "A+x B+y A-x", "y", "nothing:"},
    {"one unmarks the other's once seen", "A+x B+y B-x", "y", "nothing:"},
    {"an unmark keeps the other's later mark", "A+x B+y A+z B-x", "y z", "nothing:"},
    {"an unmark keeps the other's later marks, many", "A+a A+b B+c A+d B-a B+e A-d", "b c e",
     "nothing:"},
    {"marked again after the other's unmark", "A+x B+y B-x A+z A+x", "y z x", "nothing:"},
    {"each opens its own", "Aop Boq", "", "playlist: q p"},
    {"reopened goes before the other's", "Aop Boq Aop", "", "playlist: p q"},
    {"a tune keeps the other's order", "Aop Boq Atp=k", "", "playlist: q p=k"},
    {"the other's last channel and guides are kept", "Aop{g} Atp=k Boq", "", "playlist: q p{g}=k"},
    {"the last tune of a playlist wins", "Aop Bop Atp=k Btp=m", "", "playlist: p=m"},
    {"built-in chosen in the other", "Aop Bb", "", "built-in: p"},
    {"a playlist opened in the other after the built-in", "Bb Aop", "", "playlist: p"},
    {"ten between them", "Ao1 Bo2 Ao3 Bo4 Ao5 Bo6 Ao7 Bo8 Ao9 Bo10 Ao11 Bo12", "",
     "playlist: 12 11 10 9 8 7 6 5 4 3"},
    {"forgotten in one, the other's next change alone stays", "A+x A+y Aop Bl Af B+z Boq", "z",
     "playlist: q"},
};

struct QuietRow {
    const char *name;
    bool foldersThere;
    void (*act)(RememberedState &);
};

const QuietRow QuietRows[] = {
    {"a load", false, [](RememberedState &state) { state.load(); }},
    {"a load with the folders there", true, [](RememberedState &state) { state.load(); }},
    {"queries", false,
     [](RememberedState &state) {
         state.load();
         state.favourites().isFavourite(ListAddress, {u"a"_qs, {}, {}}, false);
         state.favourites().list(ListAddress, true);
         state.playlists().recent();
         state.playlists().startChoice();
     }},
    {"unmarking what is not marked", false,
     [](RememberedState &state) {
         state.load();
         state.favourites().unmark(ListAddress, {u"a"_qs, {}, {}}, false);
     }},
    {"tuning from a playlist not opened", false,
     [](RememberedState &state) {
         state.load();
         state.playlists().channelTuned(ListAddress, {u"a"_qs, {}, {}});
     }},
    {"forgetting everything", false, [](RememberedState &state) { state.forgetEverything(); }},
};

struct ModeRow {
    const char *name;
    mode_t umask;
    bool basesThere; // XDG_STATE_HOME and XDG_DATA_HOME, open to all
    bool openFiles;  // files there already, open to all
};

const ModeRow ModeRows[] = {
    {"umask 022", 022, false, false},           {"umask 000", 0, false, false},
    {"umask 077", 077, false, false},           {"base folders there", 022, true, false},
    {"files open to all there", 0, true, true},
};

struct ForgetRow {
    const char *name;
    bool remembered;
    bool keptAside;
    bool leftovers; // of a write cut short
    bool lock;      // left by an instance that ended
    bool usersOwn;  // a file of the user's in the data folder
};

const ForgetRow ForgetRows[] = {
    {"nothing remembered yet", false, false, false, false, false},
    {"the files", true, false, false, false, false},
    {"with files kept aside", true, true, false, false, false},
    {"with leftovers of a crash", true, false, true, false, false},
    {"with a lock left", true, false, false, true, false},
    {"with a file of the user's", true, false, false, false, true},
    {"all of it", true, true, true, true, true},
};

struct PathRow {
    const char *name;
    const char *stateStateHome; // "@" is the case's folder; none: unset
    const char *dataStateHome;
    const char *stateFolder;
    const char *dataFolder;
};

const PathRow PathRows[] = {
    {"unset", nullptr, nullptr, "@home/.local/state/ruredivu", "@home/.local/share/ruredivu"},
    {"empty", "", "", "@home/.local/state/ruredivu", "@home/.local/share/ruredivu"},
    {"absolute", "@s", "@d", "@s/ruredivu", "@d/ruredivu"},
    {"relative, ignored", "s", "d/e", "@home/.local/state/ruredivu", "@home/.local/share/ruredivu"},
    {"with trailing slashes", "@s/", "@d//", "@s/ruredivu", "@d/ruredivu"},
};

std::optional<QString> placed(const char *value, const StateHome &home) {
    if (!value)
        return {};
    QString text = QString::fromUtf8(value);
    return text.startsWith(u'@') ? home.path(text.mid(1)) : text;
}

// A row of the test for each of `rows`, by its name.
template <class Row, std::size_t Size> void addRows(const Row (&rows)[Size]) {
    QTest::addColumn<int>("row");
    for (const Row &row : rows)
        QTest::newRow(row.name) << int(&row - rows);
}

template <class Row, std::size_t Size> const Row &fetchRow(const Row (&rows)[Size]) {
    QFETCH(int, row);
    return rows[row];
}

} // namespace

class TestState : public QObject {
    Q_OBJECT

private slots:
    void channelKeys_data();
    void channelKeys();
    void channelKeyFiles();
    void favourites_data();
    void favourites();
    void scripts_data();
    void scripts();
    void faults_data();
    void faults();
    void damagedTwice();
    void twoProcesses();
    void nothingWritten_data();
    void nothingWritten();
    void modes_data();
    void modes();
    void forgetEverything_data();
    void forgetEverything();
    void paths_data();
    void paths();
};

void TestState::channelKeys_data() {
    addRows(KeyRows);
}

void TestState::channelKeys() {
    const KeyRow &key = fetchRow(KeyRows);
    QCOMPARE(key.a == key.b, key.alike);
    QCOMPARE(key.b == key.a, key.alike);
    QCOMPARE(key.a != key.b, !key.alike);
}

void TestState::channelKeyFiles() {
    const ChannelKey keys[] = {{u"TÉLÉ5.fr"_qs, u"Télé 5 \"HD\""_qs, u"France/Général"_qs},
                               {u"bbc1.uk"_qs, {}, {}},
                               {{}, u"News"_qs, {}},
                               {}};
    for (const ChannelKey &key : keys) {
        const std::optional<ChannelKey> read = channelKeyFromJson(toJson(key));
        QVERIFY(read);
        QCOMPARE(read->tvgId, key.tvgId);
        QCOMPARE(read->title, key.title);
        QCOMPARE(read->group, key.group);
    }
    const QJsonValue notKeys[] = {
        QJsonValue(u"bbc1.uk"_qs),
        QJsonValue(QJsonObject{{u"tvg-id"_qs, 7}}),
        QJsonValue(QJsonObject{{u"title"_qs, QJsonValue::Null}}),
    };
    for (const QJsonValue &json : notKeys)
        QVERIFY(!channelKeyFromJson(json));
}

void TestState::favourites_data() {
    addRows(FavouritesRows);
}

void TestState::favourites() {
    const FavouritesRow &favourites = fetchRow(FavouritesRows);
    StateHome home;
    RememberedState state;
    state.load();
    for (const QString &step : QString::fromUtf8(favourites.steps).split(u' ')) {
        const qsizetype colon = step.indexOf(u':');
        const bool radio = step[colon - 1] == u'*';
        const QString playlist = step.mid(1, colon - (radio ? 2 : 1));
        const ChannelKey key = keyFrom(step.mid(colon + 1));
        const bool mark = step[0] == u'+';
        QVERIFY(mark ? state.favourites().mark(playlist, key, radio)
                     : state.favourites().unmark(playlist, key, radio));
        QCOMPARE(state.favourites().isFavourite(playlist, key, radio), mark);
    }
    QCOMPARE(favouritesSummary(state.favourites()), QLatin1String(favourites.expected));
    RememberedState next;
    next.load();
    QCOMPARE(favouritesSummary(next.favourites()), QLatin1String(favourites.expected));
}

void TestState::scripts_data() {
    addRows(ScriptRows);
}

void TestState::scripts() {
    const ScriptRow &script = fetchRow(ScriptRows);
    StateHome home;
    RememberedState instances[2];
    QVERIFY(play(QLatin1String(script.script), instances));
    RememberedState next;
    next.load();
    QCOMPARE(favouriteTexts(next.favourites()), QLatin1String(script.favourites));
    QCOMPARE(recentTexts(next.playlists()), QLatin1String(script.recent));
    // Each instance, loaded again, sees the same.
    for (RememberedState &instance : instances) {
        instance.load();
        QCOMPARE(favouriteTexts(instance.favourites()), QLatin1String(script.favourites));
        QCOMPARE(recentTexts(instance.playlists()), QLatin1String(script.recent));
    }
}

void TestState::faults_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    for (const StoreKind &kind : Kinds) {
        for (const FaultRow &row : FaultRows) {
            QTest::addRow("%s: %s", kind.name, row.name)
                << int(&kind - Kinds) << int(&row - FaultRows);
        }
    }
}

void TestState::faults() {
    QFETCH(int, kind);
    QFETCH(int, row);
    const StoreKind &store = Kinds[kind];
    const FaultRow &fault = FaultRows[row];
    StateHome home;
    if (fault.earlier) {
        RememberedState earlier;
        QVERIFY(store.remember(earlier, item(u'A')));
        QVERIFY(store.remember(earlier, item(u'B')));
    }
    if (closesFolder(fault.fault) && !modesBind())
        QSKIP("this user writes into folders whatever their mode (root does)");
    QVERIFY(prepare(fault.fault, store, home, store.path(RememberedState())));
    RememberedState state;
    const QString path = store.path(state);
    const std::optional<QByteArray> before = contents(path);
    const QString earlier = fault.earlier && !fault.why ? QStringLiteral("AB") : QString();
    {
        StderrCapture errors;
        state.load();
        QCOMPARE(letters(store.remembered(state)), earlier);
        const QString said = errors.text();
        QVERIFY2(matches(said, loadLine(fault, path)), qPrintable(said));
    }
    {
        StderrCapture errors;
        std::optional<FileSizeLimit> fullDisk;
        if (fault.fault == Fault::DiskFull)
            fullDisk.emplace(FullDiskBytes);
        const bool written = store.remember(state, item(u'C'));
        fullDisk.reset();
        QCOMPARE(written, !fault.writeWhy);
        const QString said = errors.text();
        QVERIFY2(matches(said, writeLine(fault, path)), qPrintable(said));
    }
    QCOMPARE(letters(store.remembered(state)), earlier + u'C');
    if (fault.writeWhy)
        QCOMPARE(contents(path), before);
    clear(fault.fault, home, path);
    {
        StderrCapture errors;
        QVERIFY(store.remember(state, item(u'D')));
    }
    RememberedState next;
    next.load();
    QCOMPARE(letters(store.remembered(next)), earlier + QStringLiteral("CD"));
    // What could not be read is kept as it was; nothing else is left beside the file.
    const QStringList kept = keptAside(path);
    QCOMPARE(kept.size(), fault.why ? 1 : 0);
    if (fault.why)
        QCOMPARE(contents(QFileInfo(path).dir().filePath(kept.front())), before);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QFileInfo(path).fileName()} + kept);
}

void TestState::damagedTwice() {
    StateHome home;
    const QString path = RememberedState().favourites().path();
    const QByteArray damaged[] = {"{\"version\": 1, \"playl", "{\"version\": 1, \"play"};
    for (const QByteArray &bytes : damaged) {
        QVERIFY(writeFile(path, bytes));
        StderrCapture errors;
        RememberedState state;
        state.load();
        QVERIFY(!errors.text().isEmpty());
    }
    QCOMPARE(QFile::exists(path), false);
    const QStringList kept = keptAside(path);
    QCOMPARE(kept.size(), 2);
    QStringList keptBytes;
    for (const QString &name : kept)
        keptBytes << QString::fromUtf8(*contents(QFileInfo(path).dir().filePath(name)));
    keptBytes.sort();
    QCOMPARE(keptBytes,
             (QStringList{QString::fromUtf8(damaged[1]), QString::fromUtf8(damaged[0])}));
}

void TestState::twoProcesses() {
    StateHome home;
    constexpr int Count = 60;
    const QString prefixes[] = {QStringLiteral("a"), QStringLiteral("b")};
    QProcess markers[std::size(prefixes)];
    for (std::size_t i = 0; i < std::size(prefixes); ++i)
        markers[i].start(QStringLiteral(STATE_MARKER),
                         {ListAddress, prefixes[i], QString::number(Count)});
    for (QProcess &marker : markers)
        QVERIFY(marker.waitForFinished(-1));
    // Each one wrote every change.
    for (QProcess &marker : markers) {
        QCOMPARE(marker.exitStatus(), QProcess::NormalExit);
        QVERIFY2(marker.exitCode() == 0, marker.readAllStandardError().constData());
    }
    RememberedState state;
    state.load();
    const QList<ChannelKey> marked = state.favourites().list(ListAddress, false);
    QCOMPARE(marked.size(), 2 * (Count - Count / 3));
    // Each one's marks are all there, in the order it made them.
    for (const QString &prefix : prefixes) {
        QStringList expected, found;
        for (int i = 0; i < Count; ++i) {
            if (i % 3 != 2)
                expected << prefix + u'-' + QString::number(i);
        }
        for (const ChannelKey &key : marked) {
            if (key.tvgId.startsWith(prefix + u'-'))
                found << key.tvgId;
        }
        QCOMPARE(found, expected);
    }
}

void TestState::nothingWritten_data() {
    addRows(QuietRows);
}

void TestState::nothingWritten() {
    const QuietRow &quiet = fetchRow(QuietRows);
    StateHome home;
    if (quiet.foldersThere) {
        QVERIFY(QDir().mkpath(home.path(QStringLiteral("state/ruredivu"))));
        QVERIFY(QDir().mkpath(home.path(QStringLiteral("data/ruredivu"))));
    }
    const QStringList before = home.entries();
    RememberedState state;
    quiet.act(state);
    QCOMPARE(home.entries(), before);
}

void TestState::modes_data() {
    addRows(ModeRows);
}

void TestState::modes() {
    const ModeRow &modes = fetchRow(ModeRows);
    StateHome home;
    const QString bases[] = {home.path(QStringLiteral("state")), home.path(QStringLiteral("data"))};
    for (const QString &base : bases) {
        if (modes.basesThere) {
            QVERIFY(QDir().mkpath(base));
            QVERIFY(::chmod(QFile::encodeName(base).constData(), 0755) == 0);
        }
    }
    const mode_t umask = ::umask(modes.umask);
    RememberedState state;
    if (modes.openFiles) {
        QVERIFY(state.playlists().chooseBuiltIn());
        QVERIFY(state.favourites().mark(ListAddress, {u"a"_qs, {}, {}}, false));
        for (const QString &file : {state.playlists().path(), state.favourites().path()})
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
    }
    const bool written = state.playlists().playlistOpened(ListAddress, {}) &&
                         state.favourites().mark(ListAddress, {u"b"_qs, {}, {}}, false);
    ::umask(umask);
    QVERIFY(written);
    for (const QString &file : {state.playlists().path(), state.favourites().path()}) {
        QCOMPARE(modeOf(file), mode_t(0600));
        QCOMPARE(modeOf(QFileInfo(file).path()), mode_t(0700));
    }
    for (const QString &base : bases)
        QCOMPARE(modeOf(base), modes.basesThere ? mode_t(0755) : mode_t(0700));
}

void TestState::forgetEverything_data() {
    addRows(ForgetRows);
}

void TestState::forgetEverything() {
    const ForgetRow &forget = fetchRow(ForgetRows);
    StateHome home;
    RememberedState state;
    if (forget.remembered) {
        QVERIFY(state.playlists().playlistOpened(ListAddress, {u"http://guide.example/"_qs}));
        QVERIFY(state.favourites().mark(ListAddress, {u"a"_qs, {}, {}}, true));
    }
    for (const QString &file : {state.playlists().path(), state.favourites().path()}) {
        if (forget.keptAside)
            QVERIFY(writeFile(file + QStringLiteral(".damaged-20240101-120000"), "{"));
        if (forget.leftovers)
            QVERIFY(writeFile(file + QStringLiteral(".x1Y2z3"), "{\"version\""));
        if (forget.lock)
            QVERIFY(leaveLock(file));
    }
    if (forget.usersOwn)
        QVERIFY(writeFile(home.path(QStringLiteral("data/ruredivu/notes.txt")), "mine\n"));
    // The base folders stay: they are the user's, not the program's.
    QStringList expected;
    if (forget.remembered)
        expected << QStringLiteral("data") << QStringLiteral("state");
    if (forget.usersOwn)
        expected << QStringLiteral("data/ruredivu") << QStringLiteral("data/ruredivu/notes.txt");
    expected.sort();

    QVERIFY(state.forgetEverything());
    QCOMPARE(home.entries(), expected);
    QCOMPARE(recentTexts(state.playlists()), QStringLiteral("nothing:"));
    QCOMPARE(state.favourites().list(ListAddress, true), QList<ChannelKey>());
    RememberedState next;
    next.load();
    QCOMPARE(recentTexts(next.playlists()), QStringLiteral("nothing:"));
    QCOMPARE(next.favourites().list(ListAddress, true), QList<ChannelKey>());
}

void TestState::paths_data() {
    addRows(PathRows);
}

void TestState::paths() {
    const PathRow &paths = fetchRow(PathRows);
    StateHome home;
    home.set("XDG_STATE_HOME", placed(paths.stateStateHome, home));
    home.set("XDG_DATA_HOME", placed(paths.dataStateHome, home));
    const QString expectedState = *placed(paths.stateFolder, home);
    const QString expectedData = *placed(paths.dataFolder, home);
    QCOMPARE(stateFolder(), expectedState);
    QCOMPARE(dataFolder(), expectedData);
    RememberedState state;
    QVERIFY(state.playlists().chooseBuiltIn());
    QVERIFY(state.favourites().mark(ListAddress, {u"a"_qs, {}, {}}, false));
    QCOMPARE(state.playlists().path(), expectedState + QStringLiteral("/recent.json"));
    QCOMPARE(state.favourites().path(), expectedData + QStringLiteral("/favourites.json"));
    QVERIFY(QFile::exists(state.playlists().path()));
    QVERIFY(QFile::exists(state.favourites().path()));
}

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"
