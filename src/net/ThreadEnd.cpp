#include "net/ThreadEnd.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QThread>

#include <utility>

namespace {

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

void letFinishAlone(QThread *thread) {
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
    closingThreads().removeAll(nullptr);
    closingThreads().append(thread);
    qRemovePostRoutine(waitForClosingThreads);
    qAddPostRoutine(waitForClosingThreads);
}
