// What a screen reader finds in the window: the accessible tree with its roles, names and values,
// and the keyboard's way through every control.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

class TestAccessibility : public QObject {
    Q_OBJECT

    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

    static QAccessibleInterface *ui(QObject *object) {
        return QAccessible::queryAccessibleInterface(object);
    }
    static QString name(QObject *object) { return ui(object)->text(QAccessible::Name); }
    static QString description(QObject *object) {
        return ui(object)->text(QAccessible::Description);
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void namesAndRoles() {
        QCOMPARE(ui(form)->role(), QAccessible::Window);
        QCOMPARE(name(form), "RURE DIVU");

        const struct {
            QWidget *control;
            QAccessible::Role role;
            QString name;
        } expected[]{
            {c().cmdTv, QAccessible::Button, "TV Tuner"},
            {c().cmdRadio, QAccessible::Button, "Radio Tuner"},
            {c().cmdFS, QAccessible::Button, "Full screen"},
            {c().cmdSettings, QAccessible::Button, "Settings"},
            {c().cmdBack, QAccessible::Button, "Close the panel"},
            {c().Command1, QAccessible::Button, "ORBA online Ziverire"},
            {c().sldMainVolume, QAccessible::Slider, "Volume"},
            {c().lstTuner, QAccessible::List, "Genres and channels"},
            {c().lblChannelName, QAccessible::StaticText, "RURE DIVU"},
            {c().lblIndexNo, QAccessible::StaticText, "CH: - - - - -"},
            {c().Label1, QAccessible::StaticText, "Chaguo la Wavelmori"},
            {c().Image1, QAccessible::Graphic, "RURE DIVU logo"},
            {c().videoControl, QAccessible::Client, "Video"},
        };
        for (const auto &e : expected) {
            QCOMPARE(ui(e.control)->role(), e.role);
            QCOMPARE(name(e.control), e.name);
        }
        // The labels that change say what they are; the rest falls back to the tooltips.
        QCOMPARE(description(c().lblChannelName), "Channel name");
        QCOMPARE(description(c().lblIndexNo), "Channel number");
        QCOMPARE(description(c().lblTime), "Time");
        QCOMPARE(description(c().lblBuffering), "Connection status");
        QCOMPARE(description(c().lstTuner), "Pick a genre, then a channel");
        QCOMPARE(description(c().cboGenre), "Assisting drop down option box");
        QCOMPARE(description(c().videoControl), "ORBA Video control");
        QCOMPARE(description(c().cmdTv), "Shows the TV genres");

        // The genre picker is a combo box; a screen reader finds the focus in its text field,
        // which carries the picker's name.
        QCOMPARE(ui(c().cboGenre)->role(), QAccessible::ComboBox);
        c().cboGenre->setFocus();
        QCOMPARE(ui(c().cboGenre)->focusChild()->object(), c().cboGenre->lineEdit());
        QCOMPARE(name(c().cboGenre->lineEdit()), "Genre");
        QCOMPARE(ui(c().cboGenre)->text(QAccessible::Value), "Select Tuner");

        // Every control in the tree has a name, save the status while it says nothing.
        QAccessibleInterface *window = ui(form);
        QCOMPARE(window->childCount(), 20);
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface *child = window->child(i);
            if (child->object() != c().lblBuffering)
                QVERIFY2(!child->text(QAccessible::Name).isEmpty(),
                         qPrintable(child->object()->objectName()));
        }
    }

    // Labels are read as what they show now (Qt then announces each new text), and the slider
    // by its position.
    void namesAndValuesFollowTheWindow() {
        c().lblChannelName->setText("Sky news");
        QCOMPARE(name(c().lblChannelName), "Sky news");
        c().lblBuffering->setText("Connected to Sky news");
        QCOMPARE(name(c().lblBuffering), "Connected to Sky news");

        c().sldMainVolume->setFocus();
        QTest::keyClick(c().sldMainVolume, Qt::Key_Right);
        QTest::keyClick(c().sldMainVolume, Qt::Key_PageUp);
        QCOMPARE(ui(c().sldMainVolume)->valueInterface()->currentValue().toInt(), 6);
        QCOMPARE(ui(c().sldMainVolume)->text(QAccessible::Value), "6");
        QCOMPARE(ui(c().sldMainVolume)->valueInterface()->maximumValue().toInt(), 10);
    }

    // Tab walks the controls in their tab order, skipping the disabled full-screen button
    // until it is enabled; Shift+Tab walks back.
    void keyboardReachesEveryControl() {
        QVERIFY(QTest::qWaitForWindowActive(form));
        c().videoControl->setFocus();
        const auto walk = [](Qt::KeyboardModifiers modifiers, int steps) {
            QStringList names;
            for (int i = 0; i < steps; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
                names << QApplication::focusWidget()->objectName();
            }
            return names;
        };
        QCOMPARE(walk(Qt::NoModifier, 9),
                 QStringList({"cmdTv", "cmdRadio", "sldMainVolume", "cmdSettings", "cboGenre",
                              "lstTuner", "cmdBack", "Command1", "videoControl"}));
        c().cmdFS->setEnabled(true);
        QCOMPARE(walk(Qt::NoModifier, 4),
                 QStringList({"cmdTv", "cmdRadio", "sldMainVolume", "cmdFS"}));
        QCOMPARE(walk(Qt::ShiftModifier, 4),
                 QStringList({"sldMainVolume", "cmdRadio", "cmdTv", "videoControl"}));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
