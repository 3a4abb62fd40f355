// The program as main() starts it, whose window closes as the user closes it to end it, at a
// moment of the test's choice: given an address, it is tuned to it and closes when a line comes
// on its standard input; given none, it closes as soon as the engine has begun to start after the
// window's first paint. It prints the moment on the monotonic clock that all processes share
// first: "closing <ms>"; once the player is gone, how many of the engine's threads are still
// running: "engine threads <n>".
//
//     tuner_closing [ADDRESS]

#include "app/Application.h"
#include "app/MainForm.h"
#include "player/MpvPlayer.h"
#include "support/Tuning.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <exception>

namespace {

void closeWindow(MainForm &form) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("closing %lld\n",
                qint64(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    std::fflush(stdout);
    form.close();
}

// The engine names its threads "mpv/...".
int engineThreads() {
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        if (name.open(QIODevice::ReadOnly) && name.readAll().startsWith("mpv/"))
            ++count;
    }
    return count;
}

// Shows the window and closes it at the chosen moment; the event loop's exit status.
int runWindow(const char *address) {
    MpvPlayer player;
    MainForm form(player);
    form.show();
    QSocketNotifier input(0, QSocketNotifier::Read);
    QTimer starting;
    if (address != nullptr) {
        tuneMonitored(form, "QTV", QString::fromLocal8Bit(address));
        QObject::connect(&input, &QSocketNotifier::activated, &form, [&] {
            input.setEnabled(false);
            closeWindow(form);
        });
    } else {
        input.setEnabled(false);
        // The engine starts on a thread of the player's.
        QObject::connect(&starting, &QTimer::timeout, &form, [&] {
            const auto *thread = player.findChild<QThread *>();
            if (thread != nullptr && thread->isRunning()) {
                starting.stop();
                closeWindow(form);
            }
        });
        starting.start(1);
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    setUpApplication();
    if (argc > 2)
        return 2;
    try {
        const int status = runWindow(argc == 2 ? argv[1] : nullptr);
        std::printf("engine threads %d\n", engineThreads());
        return status;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tuner_closing: %s\n", error.what());
        return 1;
    }
}
