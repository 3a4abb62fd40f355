// The program as main() starts it, tuned to the address on its command line. When a line comes
// on its standard input it closes its window, as the user does to end it, and first prints the
// moment on the monotonic clock that all processes share: "closing <ms>".
//
//     tuner_closing ADDRESS

#include "app/MainForm.h"
#include "form/Design.h"
#include "player/MpvPlayer.h"
#include "support/Tuning.h"

#include <QApplication>
#include <QSocketNotifier>

#include <chrono>
#include <cstdio>
#include <exception>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QApplication::setApplicationName(QStringLiteral("RURE DIVU"));
    QApplication::setOrganizationName(QString::fromUtf8(design::Company));
    QApplication::setApplicationVersion(QString::fromUtf8(design::Version));
    QApplication::setWindowIcon(appIcon());
    try {
        MpvPlayer player;
        MainForm form(player);
        form.show();
        tuneMonitored(form, "QTV", QString::fromLocal8Bit(argv[1]));
        QSocketNotifier input(0, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &form, [&] {
            input.setEnabled(false);
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("closing %lld\n",
                        qint64(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
            std::fflush(stdout);
            form.close();
        });
        return QApplication::exec();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tuner_closing: %s\n", error.what());
        return 1;
    }
}
