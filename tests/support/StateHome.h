#pragma once
// A home of its own for a test, in a temporary folder, so that what the program remembers (see
// src/state/) goes there and never into the user's: HOME, XDG_STATE_HOME and XDG_DATA_HOME point
// into it while the object lives, and are then put back as they were.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

class StateHome {
public:
    StateHome() {
        set("HOME", path(QStringLiteral("home")));
        set("XDG_STATE_HOME", path(QStringLiteral("state")));
        set("XDG_DATA_HOME", path(QStringLiteral("data")));
    }
    ~StateHome() {
        for (const auto &[name, value] : saved_) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
        // A case that failed halfway may have left a folder closed.
        QDirIterator folders(dir_.path(), QDir::Dirs | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        while (folders.hasNext())
            QFile::setPermissions(folders.next(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    StateHome(const StateHome &) = delete;
    StateHome &operator=(const StateHome &) = delete;

    QString path(const QString &relative) const { return dir_.filePath(relative); }

    // Null: unset.
    void set(const char *name, const std::optional<QString> &value) {
        if (std::find_if(saved_.begin(), saved_.end(),
                         [&](const auto &saved) { return saved.first == name; }) == saved_.end()) {
            saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                      : std::nullopt);
        }
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }

    // Every file and folder in it, relative to it, in order.
    QStringList entries() const {
        QStringList found;
        QDirIterator all(dir_.path(),
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
        while (all.hasNext())
            found << QDir(dir_.path()).relativeFilePath(all.next());
        found.sort();
        return found;
    }

private:
    QTemporaryDir dir_;
    std::vector<std::pair<const char *, std::optional<QByteArray>>> saved_;
};
