#pragma once
// The program as main() starts it (tuner_closing), tuned to an address and told to close its
// window while it connects: how long it took to end after the window closed, or why it did not
// end well.

#include <QProcess>
#include <QTest>

#include <chrono>

struct Closing {
    qint64 tookMs = -1;
    QString failure; // empty when it ended with exit code 0
};

// Closes the window `after` the program started, and waits for the program to end.
inline Closing closeWhileConnecting(const QString &program, const QString &address,
                                    std::chrono::milliseconds after) {
    QProcess tuner;
    tuner.start(program, {address});
    if (!tuner.waitForStarted())
        return {.failure = "did not start: " + tuner.errorString()};
    QTest::qWait(int(after.count()));
    tuner.write("close\n");
    const bool answered = QTest::qWaitFor(
        [&] { return tuner.canReadLine() || tuner.state() == QProcess::NotRunning; }, 10000);
    const QByteArray line = tuner.readLine().trimmed();
    if (!answered || !line.startsWith("closing "))
        return {.failure =
                    "did not close: " + QString::fromLocal8Bit(tuner.readAllStandardError())};
    const qint64 closedAt = line.mid(8).toLongLong();
    if (!tuner.waitForFinished(10000))
        return {.failure = "still running 10 s after closing its window"};
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const qint64 took =
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count() - closedAt;
    const QString errors = QString::fromLocal8Bit(tuner.readAllStandardError());
    if (tuner.exitStatus() != QProcess::NormalExit || tuner.exitCode() != 0)
        return {.tookMs = took, .failure = "ended badly: " + errors};
    return {.tookMs = took, .failure = {}};
}
