// The volume slider and the full-screen button on the player stand-in: every move and click of
// the user sets ten times the slider's position, the program's own changes set nothing.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"

#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

class TestPlayerControls : public QObject {
    Q_OBJECT

    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    QSlider *slider = nullptr;

    // Where the style draws a part of the slider when it stands at a position.
    QRect part(QStyle::SubControl control, int position) const {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.subControls = QStyle::SC_All;
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.tickPosition = slider->tickPosition();
        option.tickInterval = slider->tickInterval();
        option.sliderPosition = position;
        option.sliderValue = position;
        return slider->style()->subControlRect(QStyle::CC_Slider, &option, control, slider);
    }
    QPoint thumb(int position) const { return part(QStyle::SC_SliderHandle, position).center(); }

    QStringList volumes() const { return player->log.filter("setVolume"); }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        slider = form->controls().sldMainVolume;
        player->log.clear();
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void keys() {
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_PageUp);
        QTest::keyClick(slider, Qt::Key_End);
        QTest::keyClick(slider, Qt::Key_Left);
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(volumes(), QStringList({"setVolume 10", "setVolume 60", "setVolume 100",
                                         "setVolume 90", "setVolume 0"}));
        QCOMPARE(player->volume, 0);
    }

    void dragToTheRightEndIsFullVolume() {
        QTest::mousePress(slider, Qt::LeftButton, {}, thumb(0));
        for (int position = 1; position <= 10; ++position)
            QTest::mouseMove(slider, thumb(position));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, thumb(10));
        QCOMPARE(slider->value(), 10);
        QCOMPARE(player->volume, 100);
        QVERIFY(volumes().size() >= 10);
    }

    void clicks() {
        // Beside the thumb: a page further.
        const QRect groove = part(QStyle::SC_SliderGroove, 0);
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(groove.right() - 1, groove.center().y()));
        QCOMPARE(slider->value(), 5);
        QCOMPARE(volumes(), QStringList{"setVolume 50"});
        // On the thumb: nothing moves, the same volume is set again.
        QTest::mouseClick(slider, Qt::LeftButton, {}, thumb(5));
        QCOMPARE(slider->value(), 5);
        QCOMPARE(volumes(), QStringList({"setVolume 50", "setVolume 50"}));
    }

    void wheel() {
        slider->setValue(2);
        QWheelEvent up(thumb(2), slider->mapToGlobal(thumb(2)), {}, {0, 120}, Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &up);
        QVERIFY(slider->value() > 2);
        QCOMPARE(volumes(), QStringList{"setVolume " + QString::number(10 * slider->value())});
    }

    void programChangesSetNothing() {
        slider->setValue(7);
        slider->setRange(0, 10);
        slider->setValue(0);
        QCOMPARE(volumes(), QStringList{});
    }

    void fullScreenButton() {
        QPushButton *cmdFS = form->controls().cmdFS;
        QTest::mouseClick(cmdFS, Qt::LeftButton);
        QCOMPARE(player->log, QStringList{});
        cmdFS->setEnabled(true);
        QTest::mouseClick(cmdFS, Qt::LeftButton);
        QCOMPARE(player->log, QStringList{"enterFullScreen"});
    }
};

QTEST_MAIN(TestPlayerControls)
#include "tst_playercontrols.moc"
