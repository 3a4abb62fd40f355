// Linked into a window program, this measures its start and its idle cost and prints them as
// "figure value" lines, then ends the program:
//   startup.main_ms     process start to the program's own static initialisation, after the
//                       shared libraries have been loaded, linked and initialised
//   startup.app_ms      to the application object (its platform connection made)
//   startup.show_ms     to the first show of a window (the program's own objects built)
//   startup.frame_ms    to the end of the window's first frame, painted and handed to the display
//   startup.clock_ms    to the end of the first frame that shows the clock's time
//   settle.stall_ms     the longest stall of the event loop from the first frame to settled
//   idle.rss_kb         resident memory once the window has settled
//   idle.cpu_clock_pct  CPU over BENCH_IDLE_SECONDS, nothing but the clock running
//   idle.cpu_monitor_pct CPU over BENCH_MONITOR_SECONDS more, with the timer "TimeConnection" on
// Process start is BENCH_T0 (monotonic nanoseconds before exec, see Launch.cpp). A program given
// an argument (a playlist) has its figures taken by PlaylistProbe.cpp or GuideProbe.cpp instead.

#include "ProcStat.h"
#include "Watchdog.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

const qint64 loaded = monotonicNs();

int setting(const char *name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

class StartupProbe : public QObject {
public:
    StartupProbe() : QObject(qApp), t0_(qEnvironmentVariable("BENCH_T0").toLongLong()) {
        if (t0_ > 0)
            print("startup.main_ms", (loaded - t0_) / 1e6);
        sinceStart("startup.app_ms");
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *widget = qobject_cast<QWidget *>(object);
        if (widget == nullptr)
            return false;
        if (event->type() == QEvent::Show && widget->isWindow() && !shown_) {
            shown_ = true;
            sinceStart("startup.show_ms");
        } else if (event->type() == QEvent::Paint) {
            // Paint events come in the middle of a repaint; the frame is complete and flushed
            // to the display once control is back in the event loop.
            if (widget->isWindow() && !framed_) {
                framed_ = true;
                QMetaObject::invokeMethod(
                    this, [this] { firstFrame(); }, Qt::QueuedConnection);
            }
            if (!clocked_ && showsTime(widget)) {
                clocked_ = true;
                QMetaObject::invokeMethod(
                    this, [this] { sinceStart("startup.clock_ms"); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    // The clock shows hours, minutes and seconds; its design-time caption has no seconds.
    static bool showsTime(QWidget *widget) {
        static const QRegularExpression time(QStringLiteral("\\d\\d?\\D\\d\\d\\D\\d\\d"));
        auto *label = qobject_cast<QLabel *>(widget);
        return label != nullptr && label->objectName() == u"lblTime" &&
               time.match(label->text()).hasMatch();
    }

    void sinceStart(const char *figure) const {
        if (t0_ > 0)
            print(figure, (monotonicNs() - t0_) / 1e6);
    }

    void firstFrame() {
        sinceStart("startup.frame_ms");
        watchdog_.restart();
        QTimer::singleShot(setting("BENCH_SETTLE_MS", 2000), this, [this] { settled(); });
    }

    void settled() {
        print("settle.stall_ms", watchdog_.stallMs());
        print("idle.rss_kb", double(rssKb(getpid())));
        const int idle = setting("BENCH_IDLE_SECONDS", 0);
        if (idle <= 0)
            return QCoreApplication::exit(0);
        meter_ = CpuMeter{getpid()};
        QTimer::singleShot(idle * 1000, this, [this] {
            print("idle.cpu_clock_pct", meter_.percent());
            monitor();
        });
    }

    void monitor() {
        const int seconds = setting("BENCH_MONITOR_SECONDS", 0);
        if (seconds <= 0)
            return QCoreApplication::exit(0);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *timer = window->findChild<QTimer *>(QStringLiteral("TimeConnection")))
                timer->start();
        }
        meter_ = CpuMeter{getpid()};
        QTimer::singleShot(seconds * 1000, this, [this] {
            print("idle.cpu_monitor_pct", meter_.percent());
            QCoreApplication::exit(0);
        });
    }

    qint64 t0_;
    bool shown_ = false;
    bool framed_ = false;
    bool clocked_ = false;
    CpuMeter meter_{getpid()};
    Watchdog watchdog_;
};

void installProbe() {
    if (QCoreApplication::arguments().size() < 2)
        new StartupProbe;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
