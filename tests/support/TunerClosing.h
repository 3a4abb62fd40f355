#pragma once
// The program as main() starts it (tuner_closing, TUNER_CLOSING), told to close its window at a
// moment of the test's choice: how long it took to end after the window closed, or why it did
// not end well, with what it wrote on its standard error.

#include "support/TimeScale.h"

#include <QProcess>
#include <QTest>

#include <chrono>

struct Closing {
    qint64 tookMs = -1;
    int engineThreads = -1; // the engine's threads left once the player was gone
    QString failure;        // empty when it ended with exit code 0
};

class ClosingTuner {
public:
    // Starts the program; with an address, it is tuned to it and closes when told to, without,
    // it closes by itself as soon as the engine has begun to start.
    explicit ClosingTuner(const QStringList &arguments) {
        // The end is noted as it is reported, however long the test then takes to look.
        QObject::connect(&process_, &QProcess::finished, [this] { endedAt_ = monotonicMs(); });
        process_.start(QStringLiteral(TUNER_CLOSING), arguments);
    }

    QString startFailure() {
        return process_.waitForStarted() ? QString() : "did not start: " + process_.errorString();
    }

    void close() { process_.write("close\n"); }

    // Waits for the program to say that it closes its window, then for its end. Both come
    // within seconds unless the program hangs; a program that has already ended counts as ended.
    Closing awaitEnd() {
        const int patienceMs = 10000 * timeScale();
        const auto said = [this] { return process_.canReadLine() || endedAt_ >= 0; };
        if (!QTest::qWaitFor(said, patienceMs))
            return {.failure = "said nothing of closing its window: " + errors()};
        const QByteArray line = process_.readLine().trimmed();
        if (!line.startsWith("closing "))
            return {.failure = "did not close its window: " + errors()};
        const qint64 closedAt = line.mid(8).toLongLong();
        if (!QTest::qWaitFor([this] { return endedAt_ >= 0; }, patienceMs))
            return {.failure = QStringLiteral("still running %1 s after closing its window: %2")
                                   .arg(patienceMs / 1000)
                                   .arg(errors())};
        Closing closing{.tookMs = endedAt_ - closedAt, .failure = {}};
        const QByteArray threads = process_.readLine().trimmed();
        if (threads.startsWith("engine threads "))
            closing.engineThreads = threads.mid(15).toInt();
        if (process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0)
            closing.failure = QStringLiteral("ended badly (exit code %1): %2")
                                  .arg(process_.exitCode())
                                  .arg(errors());
        return closing;
    }

private:
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()).trimmed(); }

    QProcess process_;
    qint64 endedAt_ = -1;
};

// Tunes the program to `address` and closes its window `after` it started.
inline Closing closeWhileConnecting(const QString &address, std::chrono::milliseconds after) {
    ClosingTuner tuner({address});
    if (const QString failure = tuner.startFailure(); !failure.isEmpty())
        return {.failure = failure};
    QTest::qWait(int(after.count()));
    tuner.close();
    return tuner.awaitEnd();
}
