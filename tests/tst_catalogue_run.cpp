// Every catalogue channel tuned in the real window with the real player: first in catalogue
// order, waiting each time for the status to settle, then in a fast random order that tunes on
// before the last address has come to anything. Where the network is loopback alone no address
// leads anywhere, so every monitored channel ends in "Connection signal Error..." and every Flash
// channel shows "Flash signal"; the window never stalls and no window of the player's own shows.
// The player really tries each address, so this runs only under tests/loopback-only; anywhere
// else it skips. RUREDIVU_CATALOGUE_TUNINGS sets the length of the random run.

#include "catalogue/Catalogue.h"
#include "catalogue/Tuning.h"
#include "support/DisplayWindows.h"
#include "support/EventLoopWatch.h"
#include "support/LoopbackOnly.h"
#include "support/PlayerWindow.h"
#include "tuner/BuiltInSource.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

constexpr int DefaultRandomTunings = 80;
// The random run waits between tunings for up to this long, often less than a monitor tick.
constexpr int MaxDwellMs = 400;

const QString Waiting = "Waiting for connection...";
const QString SignalError = "Connection signal Error...";
const QString FlashSignal = "Flash signal";

bool monitored(const ChannelEntry &row) {
    return row.PlayMethod == PlayMethod::Monitored;
}

} // namespace

class TestCatalogueRun : public QObject {
    Q_OBJECT

    std::unique_ptr<PlayerWindow> w;
    std::unique_ptr<EventLoopWatch> watch;
    QStringList broken; // what the monitor showed that it never may here

    void tune(const ChannelEntry &row) {
        TuneChannel(w->c(), w->player, w->form.monitor(),
                    BuiltInSource().channel({row.ListLabel.toString()}));
        // Nothing of the last address is carried over to this one.
        if (w->player.bufferingCount() != 0 || w->player.streamFailed())
            broken << row.ListLabel.toString() + ": count or failure carried over";
        if (!monitored(row) && w->status() != FlashSignal)
            broken << row.ListLabel.toString() + ": " + w->status();
    }

    void checkWindows() {
        QCOMPARE(w->strayWindows(), 0);
        QCOMPARE(foreignWindowsShown(), 0);
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join('\n')));
    }

private slots:
    void initTestCase() {
        if (!onlyLoopback())
            QSKIP("the network is not loopback alone; catalogue addresses stay off the player");
        w = std::make_unique<PlayerWindow>();
        w->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->form));
        // Connected after the monitor's step, each tick leaves one of the statuses that a stream
        // going nowhere can have, and at most one warning.
        connect(w->c().TimeConnection, &QTimer::timeout, this, [this] {
            if (w->status() != Waiting && w->status() != SignalError)
                broken << "tick: " + w->status();
            if (w->openWarnings() > 1)
                broken << "tick: " + QString::number(w->openWarnings()) + " warnings";
        });
        watch = std::make_unique<EventLoopWatch>();
    }

    void cleanupTestCase() {
        if (watch != nullptr)
            qInfo("longest event-loop gap %lld ms", watch->longestGapMs());
    }

    void inCatalogueOrder() {
        for (const ChannelEntry &row : Catalogue) {
            QElapsedTimer clock;
            clock.start();
            QSignalSpy ticks(w->c().TimeConnection, &QTimer::timeout);
            tune(row);
            if (monitored(row)) {
                // Until the monitor's first tick the status is the last channel's.
                QVERIFY(ticks.wait(2000));
                QTRY_COMPARE_WITH_TIMEOUT(w->status(), SignalError, 20000);
                qInfo("%s: failed after %lld ms", qPrintable(row.ListLabel.toString()),
                      clock.elapsed());
                QCOMPARE(w->openWarnings(), 1);
            } else {
                QVERIFY(!w->c().TimeConnection->isActive());
                QTest::qWait(200);
                QCOMPARE(w->status(), FlashSignal);
                QCOMPARE(w->openWarnings(), 0);
            }
            checkWindows();
        }
        QVERIFY2(watch->keptRunning(), watch->held());
    }

    void inRandomOrder() {
        const int tunings = qEnvironmentVariableIsSet("RUREDIVU_CATALOGUE_TUNINGS")
                                ? qEnvironmentVariableIntValue("RUREDIVU_CATALOGUE_TUNINGS")
                                : DefaultRandomTunings;
        QRandomGenerator random(20240607);
        const ChannelEntry *row = nullptr;
        for (int i = 0; i < tunings; ++i) {
            row = &Catalogue[random.bounded(int(Catalogue.size()))];
            tune(*row);
            QTest::qWait(random.bounded(MaxDwellMs + 1));
            if (!monitored(*row) && w->status() != FlashSignal)
                broken << row->ListLabel.toString() + ": " + w->status();
        }
        // The last channel settles as it does in order.
        QTRY_COMPARE_WITH_TIMEOUT(w->status(), monitored(*row) ? SignalError : FlashSignal, 20000);
        QCOMPARE(w->openWarnings(), monitored(*row) ? 1 : 0);
        checkWindows();
        QVERIFY2(watch->keptRunning(), watch->held());
    }
};

QTEST_MAIN(TestCatalogueRun)
#include "tst_catalogue_run.moc"
