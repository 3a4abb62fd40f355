// The connection monitor's tick on the player stand-in: what each buffering count and a failed
// stream show, when the full-screen button comes on, and the warning box, once per tuning.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "support/Tuning.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString Warning = "It seems that they might be a problem connecting to QTV or your network "
                        "connection speed might be too slow to access this channel";

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

    QList<QMessageBox *> boxes() const {
        QList<QMessageBox *> open;
        for (QMessageBox *box : form->findChildren<QMessageBox *>("connectionWarning"))
            if (box->isVisible())
                open << box;
        return open;
    }

    void closeBoxes() {
        for (QMessageBox *box : boxes())
            box->button(QMessageBox::Ok)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        tuneMonitored(*form, "QTV", "mms://192.0.2.1/qtv.wsx");
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void statusFromTheCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("fullScreenOn");
        QTest::addColumn<bool>("warned");
        QTest::newRow("0") << 0 << false << "Waiting for connection..." << false << false;
        QTest::newRow("1") << 1 << false << "Connected to QTV" << true << false;
        QTest::newRow("2 without 1 first") << 2 << false << "Connected to QTV" << true << false;
        QTest::newRow("3") << 3 << false << "Connected to QTV" << true << false;
        QTest::newRow("4") << 4 << false << "Connection signal Error..." << true << true;
        QTest::newRow("12") << 12 << false << "Connection signal Error..." << true << true;
        QTest::newRow("30") << 30 << false << "Connection signal Error..." << true << true;
        QTest::newRow("failed, never opened")
            << 0 << true << "Connection signal Error..." << false << true;
        QTest::newRow("failed after opening")
            << 1 << true << "Connection signal Error..." << true << true;
    }
    void statusFromTheCount() {
        QFETCH(int, count);
        QFETCH(bool, failed);
        QFETCH(bool, warned);
        player->count = count;
        player->failed = failed;
        c().TimeConnection->setInterval(100);
        form->monitor().tick();
        QTEST(c().lblBuffering->text(), "status");
        QTEST(c().cmdFS->isEnabled(), "fullScreenOn");
        QCOMPARE(boxes().size(), warned ? 1 : 0);
        QCOMPARE(c().TimeConnection->interval(), 500);
    }

    void theWarning() {
        player->count = 4;
        form->monitor().tick();
        QCOMPARE(boxes().size(), 1);
        QMessageBox *box = boxes().first();
        QCOMPARE(box->windowTitle(), "RURE DIVU");
        QCOMPARE(box->text(), Warning);
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QVERIFY(box->button(QMessageBox::Ok));
        QCOMPARE(box->parentWidget(), form);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
    }

    // The box opens on the first tick that finds the stream in error, and not again until
    // another channel is tuned; the status keeps showing the error.
    void oneWarningPerTuning() {
        player->count = 5;
        form->monitor().tick();
        QCOMPARE(boxes().size(), 1);
        closeBoxes();
        for (int count : {5, 6, 30}) {
            player->count = count;
            form->monitor().tick();
            QCOMPARE(c().lblBuffering->text(), "Connection signal Error...");
            QCOMPARE(boxes().size(), 0);
        }
        tuneMonitored(*form, "QTV", "mms://192.0.2.1/qtv.wsx");
        form->monitor().tick();
        QCOMPARE(c().lblBuffering->text(), "Waiting for connection...");
        QCOMPARE(boxes().size(), 0);
        player->failed = true;
        form->monitor().tick();
        QCOMPARE(boxes().size(), 1);
    }

    // The timers go on ticking while the box is open, and no second box piles up on the first.
    void ticksGoOnUnderTheBox() {
        QSignalSpy monitorTicks(c().TimeConnection, &QTimer::timeout);
        QSignalSpy clockTicks(c().timeControl, &QTimer::timeout);
        player->count = 30;
        QTRY_COMPARE(boxes().size(), 1);
        QTRY_VERIFY(monitorTicks.count() >= 4);
        QCOMPARE(boxes().size(), 1);
        QCOMPARE(form->findChildren<QMessageBox *>().size(), 1);
        QVERIFY(clockTicks.count() >= 1);
        player->count = 2;
        QTRY_COMPARE(c().lblBuffering->text(), "Connected to QTV");
        QCOMPARE(boxes().size(), 1);
    }

    // Tuning a channel that the monitor does not watch turns it off and takes its box away.
    void flashTuningStopsMonitorAndBox() {
        player->count = 4;
        QTRY_COMPARE(boxes().size(), 1);
        form->monitor().stop();
        c().lblBuffering->setText("Flash signal");
        QVERIFY(!c().TimeConnection->isActive());
        QCOMPARE(boxes().size(), 0);
        QTest::qWait(1200);
        QCOMPARE(c().lblBuffering->text(), "Flash signal");
        QCOMPARE(boxes().size(), 0);
    }

    // Once on, the full-screen button stays on whatever is tuned later.
    void fullScreenButtonStaysOn() {
        player->count = 1;
        form->monitor().tick();
        QVERIFY(c().cmdFS->isEnabled());
        tuneMonitored(*form, "QTV", "mms://192.0.2.1/qtv.wsx");
        form->monitor().tick();
        QCOMPARE(c().lblBuffering->text(), "Waiting for connection...");
        QVERIFY(c().cmdFS->isEnabled());
        form->monitor().stop();
        QVERIFY(c().cmdFS->isEnabled());
    }
};

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
