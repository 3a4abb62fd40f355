// The baseline for the start-up and idle figures: a plain Qt Widgets window of the tuner's size
// showing the same two changing things, a clock ticking every second and a status label that a
// stopped timer "TimeConnection" rewrites twice a second once it runs.

#include "form/Design.h"

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    using design::px;
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(px(design::CollapsedWidth - 2 * design::FrameTwips),
                        px(design::ClientHeight));

    auto *clock = new QLabel(&window);
    clock->setObjectName(QStringLiteral("lblTime"));
    clock->setGeometry(616, 512, 97, 17);
    auto *status = new QLabel(&window);
    status->setObjectName(QStringLiteral("lblBuffering"));
    status->setGeometry(24, 512, 300, 17);

    auto showTime = [clock] { clock->setText(QTime::currentTime().toString(u"HH:mm:ss")); };
    showTime();
    auto *clockTimer = new QTimer(&window);
    QObject::connect(clockTimer, &QTimer::timeout, showTime);
    clockTimer->start(1000);

    auto *monitor = new QTimer(&window);
    monitor->setObjectName(QStringLiteral("TimeConnection"));
    monitor->setInterval(500);
    int ticks = 0;
    QObject::connect(monitor, &QTimer::timeout,
                     [status, &ticks] { status->setText(QString::number(++ticks)); });

    window.show();
    return QApplication::exec();
}
