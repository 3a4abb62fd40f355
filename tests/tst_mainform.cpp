// The window as it opens: every control where it belongs, the state start-up leaves, and the
// button that closes the side panel. The player is the stand-in, so this runs offscreen.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "form/Design.h"
#include "support/FakePlayer.h"
#include "support/Lists.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

using design::px;

class TestMainForm : public QObject {
    Q_OBJECT

    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void startUpState() {
        QCOMPARE(form->width(), 730);
        QCOMPARE(form->height(), 583);
        QCOMPARE(form->windowTitle(), "RURE DIVU");
        QCOMPARE(c().lblChannelName->text(), "RURE DIVU");
        QCOMPARE(c().lblIndexNo->text(), "CH: - - - - -");
        QVERIFY(c().lblTime->text() != "00:00 Hrs");
        QVERIFY(!c().lblTime->text().isEmpty());
        QCOMPARE(c().lblBuffering->text(), "");
        QVERIFY(c().cmdTv->isEnabled());
        QVERIFY(c().cmdRadio->isEnabled());
        QVERIFY(!c().cmdFS->isEnabled());
        QCOMPARE(c().sldMainVolume->value(), 0);
        QCOMPARE(rowCount(c().lstTuner), 0);
        QCOMPARE(c().cboGenre->text(), "Select Tuner");
        QCOMPARE(c().cboGenre->count(), 2);
        QCOMPARE(c().cboGenre->itemText(0), "TV tuner");
        QCOMPARE(c().cboGenre->itemText(1), "Radio tuner");
        QCOMPARE(c().cboGenre->currentIndex(), -1);
        QVERIFY(c().cboGenre->isEnabled());
        QVERIFY(!c().TimeConnection->isActive());
        QCOMPARE(c().TimeConnection->interval(), 500);
        QVERIFY(c().timeControl->isActive());
        QCOMPARE(c().timeControl->interval(), 1000);
        // Start-up turns the player's dialogs off and plays nothing.
        QCOMPARE(player->log, QStringList{"disableErrorDialogs"});
    }

    void everyControlInItsPlace() {
        int widgets = 0;
        for (const auto &d : design::Controls) {
            const QString name = QLatin1StringView(d.name);
            if (d.kind == design::Kind::Timer) {
                QVERIFY2(form->findChild<QTimer *>(name), qPrintable(name));
                continue;
            }
            auto *w = form->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->geometry(), QRect(px(d.left), px(d.top), std::max(px(d.width), 1),
                                          std::max(px(d.height), 1)));
            QCOMPARE(w->toolTip(), QString::fromUtf16(d.toolTip.data(), d.toolTip.size()));
            ++widgets;
        }
        QCOMPARE(widgets, 20);
        // A few places worked out by hand from the twips.
        QCOMPARE(c().videoControl->geometry(), QRect(24, 8, 679, 425));
        QCOMPARE(c().cboGenre->geometry(), QRect(757, 16, 161, 21));
        QCOMPARE(c().Line1->geometry(), QRect(280, 504, 1, 72));
        QCOMPARE(c().Image1->geometry(), QRect(16, 440, 97, 48));
    }

    void looksAsDesigned() {
        QCOMPARE(c().Command1->text(), "ORBA online Ziverire");
        QCOMPARE(c().cmdBack->text(), "<<<");
        QCOMPARE(c().cmdSettings->text(), "Settings");
        QCOMPARE(c().cmdFS->text(), "FullScreen");
        QCOMPARE(c().cmdTv->text(), "TV Tuner");
        QCOMPARE(c().cmdRadio->text(), "Radio Tuner");
        QCOMPARE(c().Label1->text(), "Chaguo la Wavelmori");
        QCOMPARE(c().videoControl->toolTip(), "ORBA Video control");
        const auto colour = [](QWidget *w, QPalette::ColorRole role) {
            return w->palette().color(role).rgb() & 0xFFFFFF;
        };
        QCOMPARE(colour(form, QPalette::Window), 0xC0C0C0u);
        QCOMPARE(colour(c().Shape1, QPalette::Window), 0xC0C000u);
        QCOMPARE(colour(c().Shape2, QPalette::Window), 0x000000u);
        QCOMPARE(colour(c().Shape3, QPalette::Window), 0x000000u);
        QCOMPARE(colour(c().lstTuner, QPalette::Base), 0x000000u);
        QCOMPARE(colour(c().lstTuner, QPalette::Text), 0xFF0000u);
        QCOMPARE(colour(c().lblChannelName, QPalette::WindowText), 0x0000C0u);
        QCOMPARE(colour(c().lblBuffering, QPalette::WindowText), 0xFFFFFFu);
        QCOMPARE(colour(c().Label1, QPalette::WindowText), 0xFFFFFFu);
        for (QLabel *label : {c().lblBuffering, c().lblIndexNo, c().lblTime, c().Label1})
            QCOMPARE(label->font().pointSizeF(), 9.75);
        QCOMPARE(c().lblChannelName->font().pointSizeF(), 12.0);
        QVERIFY(c().lblChannelName->font().bold());
        QCOMPARE(c().cmdBack->font().pointSizeF(), 8.25);
        QVERIFY(c().lblChannelName->alignment() & Qt::AlignHCenter);
        QVERIFY(c().Label1->alignment() & Qt::AlignLeft);
        QVERIFY(!c().lblBuffering->autoFillBackground());
        QVERIFY(!c().Image1->pixmap().isNull());
        QCOMPARE(c().Image1->pixmap().size(), QSize(338, 200));
        QCOMPARE(c().sldMainVolume->minimum(), 0);
        QCOMPARE(c().sldMainVolume->maximum(), 10);
        QCOMPARE(c().sldMainVolume->singleStep(), 1);
        QCOMPARE(c().sldMainVolume->pageStep(), 5);
        QVERIFY(c().cboGenre->isEditable());
        QCOMPARE(c().lstTuner->selectionMode(), QAbstractItemView::SingleSelection);
    }

    // Controls with a window of their own lie in front of the drawn ones; the first row of the
    // design lies in front of later ones.
    void stacking() {
        const QObjectList children = form->children();
        const auto depth = [&](QWidget *w) { return children.indexOf(w); };
        QVERIFY(depth(c().videoControl) > depth(c().Shape2));
        QVERIFY(depth(c().lblBuffering) > depth(c().Shape2));
        QVERIFY(depth(c().lblChannelName) > depth(c().Shape1));
        QVERIFY(depth(c().lstTuner) > depth(c().Shape3));
        QVERIFY(depth(c().cmdTv) > depth(c().lblBuffering));
        QVERIFY(depth(c().lblBuffering) > depth(c().lblIndexNo));
        QVERIFY(depth(c().Command1) > depth(c().cmdBack));
    }

    void tabOrder() {
        const QList<QWidget *> expected{c().videoControl,  c().cmdTv,       c().cmdRadio,
                                        c().sldMainVolume, c().cmdFS,       c().cmdSettings,
                                        c().cboGenre,      c().lstTuner,    c().cmdBack,
                                        c().Command1,      c().videoControl};
        QWidget *w = c().videoControl;
        for (int i = 1; i < expected.size(); ++i) {
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w == form || w->parentWidget() != form);
            QCOMPARE(w->objectName(), expected[i]->objectName());
        }
        for (QLabel *label : form->findChildren<QLabel *>())
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }

    void backButtonClosesThePanel() {
        form->show();
        c().cmdTv->setEnabled(false);
        form->setFixedWidth(943);
        c().TimeConnection->start();
        c().lstTuner->appendItems(textItems({"Sky news"}));
        c().lstTuner->setCurrentIndex(c().lstTuner->model()->index(0, 0));
        QTest::mouseClick(c().cmdBack, Qt::LeftButton);
        QCOMPARE(form->width(), 730);
        QVERIFY(c().cmdTv->isEnabled());
        QVERIFY(c().cmdRadio->isEnabled());
        // Nothing else changes: the list, the monitor and the player go on.
        QCOMPARE(c().lstTuner->text(), "Sky news");
        QVERIFY(c().TimeConnection->isActive());
        QCOMPARE(player->log, QStringList{"disableErrorDialogs"});
        // Through the keyboard while the panel is closed: the same width again.
        c().cmdBack->setFocus();
        QTest::keyClick(c().cmdBack, Qt::Key_Space);
        QCOMPARE(form->width(), 730);
    }

    // The side panel's controls keep their state while hidden beyond the window's edge.
    void collapsedPanelKeepsItsControls() {
        QVERIFY(c().cboGenre->x() >= form->width());
        QVERIFY(c().lstTuner->isVisibleTo(form));
        QVERIFY(c().cboGenre->isEnabled());
        QCOMPARE(c().cboGenre->count(), 2);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
