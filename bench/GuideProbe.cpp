// Linked into the tuner next to PlaylistProbe.cpp, this takes, when BENCH_GUIDE is set, the
// figures of a guide given with --guide for the playlist named on the command line, prints them as
// "figure value" lines, then ends the program. Once the playlist's groups show, the first is
// clicked, so that the list shows its channels; then:
//   guide.now_shown_ms    process start (BENCH_T0, see Launch.cpp) to a channel's programme on now
//                         in the list: a row on view with its programme, and the view painted
//   guide.load_stall_ms   the longest stall of the event loop from the window's first frame to
//                         then
//   guide.rss_kb          resident memory once settled (BENCH_SETTLE_MS) after that
//   guide.peak_rss_kb     the process's peak resident memory by then
// Without a guide the channels shown stand for the programme, and the last two alone are printed:
// the same program's memory without the guide.

#include "ProcStat.h"
#include "Watchdog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

// The most that a guide's load may take here; a guide without the programme on now never shows.
constexpr int GiveUpMs = 180'000;

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

class GuideProbe : public QObject {
public:
    GuideProbe()
        : QObject(qApp), t0_(qEnvironmentVariable("BENCH_T0").toLongLong()),
          guided_(QCoreApplication::arguments().contains(QStringLiteral("--guide"))) {
        qApp->installEventFilter(this);
        afterPaint([this] { return list_->model()->rowCount() > 0; }, [this] { clickGroup(); });
        QTimer::singleShot(GiveUpMs, this, [] {
            std::fprintf(stderr, "bench: no programme on now shown in the list\n");
            QCoreApplication::exit(1);
        });
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *widget = qobject_cast<QWidget *>(object);
        if (widget == nullptr || event->type() != QEvent::Paint)
            return false;
        if (widget->isWindow() && !framed_) {
            framed_ = true;
            QMetaObject::invokeMethod(
                this, [this] { watchdog_.restart(); }, Qt::QueuedConnection);
        }
        if (list_ == nullptr && widget->objectName() == u"lstTuner")
            list_ = qobject_cast<QAbstractItemView *>(widget);
        // The rows are painted on the viewport; the frame is complete and handed to the display
        // once control is back in the event loop.
        if (then_ && list_ != nullptr && widget == list_->viewport() && ready_())
            QMetaObject::invokeMethod(this, std::exchange(then_, {}), Qt::QueuedConnection);
        return false;
    }

private:
    // Calls `then` after the end of the next frame of the list that paints it while `ready` holds.
    void afterPaint(std::function<bool()> ready, std::function<void()> then) {
        ready_ = std::move(ready);
        then_ = std::move(then);
    }

    void clickGroup() {
        const QModelIndex first = list_->model()->index(0, 0);
        const int groups = list_->model()->rowCount();
        afterPaint([this, groups] { return list_->model()->rowCount() != groups; },
                   [this] {
                       if (!guided_)
                           return settle();
                       afterPaint([this] { return programmeOnView(); }, [this] { nowShown(); });
                   });
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->visualRect(first).center());
    }

    // A row on view has a programme: the list gives none as a tooltip without a guide.
    bool programmeOnView() const {
        const int bottom = list_->viewport()->height();
        for (QModelIndex row = list_->indexAt(QPoint(1, 1));
             row.isValid() && list_->visualRect(row).top() < bottom;
             row = row.siblingAtRow(row.row() + 1)) {
            if (!row.data(Qt::ToolTipRole).toString().isEmpty())
                return true;
        }
        return false;
    }

    void nowShown() {
        print("guide.now_shown_ms", double(monotonicNs() - t0_) / 1e6);
        print("guide.load_stall_ms", watchdog_.stallMs());
        settle();
    }

    void settle() {
        bool set = false;
        const int settle = qEnvironmentVariableIntValue("BENCH_SETTLE_MS", &set);
        QTimer::singleShot(set ? settle : 2000, this, [] {
            print("guide.rss_kb", double(rssKb(getpid())));
            print("guide.peak_rss_kb", double(statusKb(getpid(), "VmHWM:")));
            QCoreApplication::exit(0);
        });
    }

    const qint64 t0_;
    const bool guided_;
    Watchdog watchdog_;
    bool framed_ = false;
    QAbstractItemView *list_ = nullptr;
    std::function<bool()> ready_;
    std::function<void()> then_;
};

void installProbe() {
    if (QCoreApplication::arguments().size() >= 2 && qEnvironmentVariableIsSet("BENCH_GUIDE"))
        new GuideProbe;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
