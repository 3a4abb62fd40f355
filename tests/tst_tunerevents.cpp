// The side panel's list and combo box raise their click only for the user's own choice of an
// item, by mouse or keyboard, never for what the program does to them.

#include "support/Lists.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class TestTunerEvents : public QObject {
    Q_OBJECT

    QWidget *window = nullptr;
    TunerList *list = nullptr;
    GenreCombo *combo = nullptr;
    QPushButton *elsewhere = nullptr;

    QPoint row(int index) const { return rowCentre(list, index); }

private slots:
    void init() {
        window = new QWidget;
        auto *layout = new QVBoxLayout(window);
        combo = new GenreCombo;
        list = new TunerList;
        elsewhere = new QPushButton("elsewhere");
        layout->addWidget(combo);
        layout->addWidget(list);
        layout->addWidget(elsewhere);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void cleanup() { delete window; }

    void everyLeftPressOnAnItemIsOneClick() {
        QSignalSpy clicks(list, &TunerList::userClick);
        list->appendItems(textItems({"Movies", "", "News"}));
        QCOMPARE(list->text(), "");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row(2));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(list->text(), "News");
        // Again on the selected item, also with Ctrl held: still selected, one click each.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, row(2));
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(list->text(), "News");
        // The blank item is an item like any other.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row(1));
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(currentRow(list), 1);
        QCOMPARE(selectedCount(list), 1);
        // Other buttons, empty space below the items and dragging select nothing.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, row(0));
        QTest::mouseClick(list->viewport(), Qt::MiddleButton, {}, row(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(row(2).x(), list->viewport()->height() - 2));
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row(1));
        QMouseEvent drag(QEvent::MouseMove, row(0), list->viewport()->mapToGlobal(row(0)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &drag);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row(0));
        QCOMPARE(clicks.count(), 5);
        QCOMPARE(currentRow(list), 1);
        // What the program does raises nothing and selects nothing.
        list->clear();
        list->appendItems(textItems({"Sports"}));
        QCOMPARE(list->text(), "");
        QCOMPARE(clicks.count(), 5);
    }

    // Both presses of a double click count, also when the first one changed the list under the
    // mouse. Sent through the window, as the windowing system delivers them.
    void doubleClickIsTwoClicks() {
        list->appendItems(textItems({"Movies", "News"}));
        QStringList seen;
        connect(list, &TunerList::userClick, this, [&] {
            seen << list->text();
            if (list->text() == "Movies") {
                list->clear();
                list->appendItems(textItems({"MBC 1", "Zee TV"}));
            }
        });
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                           list->viewport()->mapTo(window, row(0)));
        // The second press lands on the item that took the first one's place.
        QCOMPARE(seen, QStringList({"Movies", "MBC 1"}));
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                           list->viewport()->mapTo(window, row(1)));
        QCOMPARE(seen, QStringList({"Movies", "MBC 1", "Zee TV", "Zee TV"}));
    }

    void keyboardSelectionIsAClick() {
        QSignalSpy clicks(list, &TunerList::userClick);
        list->appendItems(textItems({"Movies", "Sports", "News"}));
        // Taking the focus puts Qt's focus frame on the first item without selecting it; the
        // first key still selects from the top.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->text(), "Movies");
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->text(), "News");
        QCOMPARE(clicks.count(), 3);
        // At the end, and on keys that keep the selection, nothing is raised or lost.
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Space);
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(list->text(), "News");
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->text(), "Movies");
        QCOMPARE(clicks.count(), 5);
        list->clear();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(clicks.count(), 5);
    }

    // Appending items selects none and leaves the text field; typing the name of an item, then
    // Enter or leaving the field, is no pick and adds nothing.
    void typingIsNoPick() {
        QSignalSpy picks(combo, &GenreCombo::userPick);
        combo->setText("Select Genre");
        for (const char *text : {"Movies", "Sports", "News"})
            combo->appendItem({text});
        QCOMPARE(combo->text(), "Select Genre");
        QCOMPARE(combo->currentIndex(), -1);
        combo->clearAll();
        QCOMPARE(combo->text(), "");
        for (const char *text : {"Movies", "Sports", "News"})
            combo->appendItem({text});
        QCOMPARE(combo->text(), "");
        QCOMPARE(combo->currentIndex(), -1);
        combo->setFocus();
        QTest::keyClicks(combo, "News");
        QTest::keyClick(combo, Qt::Key_Return);
        QTest::keyClick(combo, Qt::Key_Enter);
        QCOMPARE(combo->text(), "News");
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(combo, "Sports");
        QTest::keyClick(combo, Qt::Key_Tab);
        QVERIFY(!combo->hasFocus());
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(combo, "Mov");
        elsewhere->setFocus();
        QCOMPARE(combo->text(), "Mov");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(picks.count(), 0);
    }

    void keyboardAndPopupPicks() {
        QStringList picked;
        connect(combo, &GenreCombo::userPick, this, [&] { picked << combo->text(); });
        combo->setText("Select Genre");
        for (const char *text : {"Movies", "Sports", "News"})
            combo->appendItem({text});
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(picked, QStringList({"Movies", "Sports", "Movies"}));
        // From the open list, by mouse; the item already chosen is picked again.
        for (int index : {2, 2}) {
            QTest::keyClick(combo, Qt::Key_F4);
            QTRY_VERIFY(combo->view()->isVisible());
            const QRect item = combo->view()->visualRect(combo->model()->index(index, 0));
            QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, item.center());
            QTRY_VERIFY(!combo->view()->isVisible());
        }
        QCOMPARE(picked, QStringList({"Movies", "Sports", "Movies", "News", "News"}));
        QTest::keyClick(combo, Qt::Key_F4);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Escape);
        QTRY_VERIFY(!combo->view()->isVisible());
        // Disabled, it takes no input at all.
        combo->setEnabled(false);
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(picked.size(), 5);
        QCOMPARE(combo->text(), "News");
    }
};

QTEST_MAIN(TestTunerEvents)
#include "tst_tunerevents.moc"
