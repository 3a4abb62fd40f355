#include "net/ThreadEnd.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QPointer>
#include <QThread>

#include <utility>

namespace {

// How long ending a thread waits for it: enough for a transfer to abort, not for a parse or a
// decode under way.
constexpr int EndWaitMs = 50;

QList<QPointer<QThread>> &closingThreads() {
    static QList<QPointer<QThread>> threads;
    return threads;
}

void waitForClosingThreads() {
    for (const QPointer<QThread> &thread : std::exchange(closingThreads(), {})) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
}

} // namespace

void endWorkerThread(QThread *thread) {
    thread->quit();
    if (thread->wait(QDeadlineTimer(EndWaitMs))) {
        delete thread;
        return;
    }
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
    closingThreads().removeAll(nullptr);
    closingThreads().append(thread);
    qRemovePostRoutine(waitForClosingThreads);
    qAddPostRoutine(waitForClosingThreads);
}
