#pragma once
// What the kernel accounts for a process: CPU time and resident memory, read from /proc, and the
// monotonic clock that all figures are measured on.

#include <QByteArray>
#include <QFile>
#include <QList>

#include <ctime>
#include <unistd.h>

inline qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline QByteArray procFile(qint64 pid, const char *name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// User plus system time of all the process's threads, living and ended, in seconds.
inline double cpuSeconds(qint64 pid) {
    const QByteArray stat = procFile(pid, "stat");
    // The command name may hold spaces: count the fields after its closing parenthesis, where
    // field 3 (the state) comes first, so utime (14) and stime (15) are the 12th and 13th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / sysconf(_SC_CLK_TCK);
}

// A field of the process's status in kB: "VmRSS:" resident memory, "VmHWM:" its peak.
inline qint64 statusKb(qint64 pid, const char *field) {
    const QByteArray name(field);
    for (const QByteArray &line : procFile(pid, "status").split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

inline qint64 rssKb(qint64 pid) {
    return statusKb(pid, "VmRSS:");
}

// Share of one core that a process used between two readings, in percent.
struct CpuMeter {
    qint64 pid;
    double cpu = cpuSeconds(pid);
    qint64 wall = monotonicNs();

    double percent() const {
        return 100.0 * (cpuSeconds(pid) - cpu) * 1e9 / (monotonicNs() - wall);
    }
};
