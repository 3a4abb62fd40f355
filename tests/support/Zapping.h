#pragma once
// The window driven as a television: clicks in its list, keys where the focus is, and the
// channel it shows.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "support/Lists.h"
#include "tuner/TunerList.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

inline void clickRow(const MainForm &form, int row) {
    TunerList *list = form.controls().lstTuner;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
}

inline void clickText(const MainForm &form, const QString &text) {
    clickRow(form, findRow(form.controls().lstTuner, text));
}

// A key pressed where the focus is, as the keyboard sends it.
inline void press(int key, Qt::KeyboardModifiers modifiers = {}, bool autoRepeat = false) {
    QWidget *focus = QApplication::focusWidget();
    const QString text = key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde && !modifiers
                             ? QString(QChar(key)).toLower()
                             : QString();
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(focus, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(focus, &up);
}

// Text typed into `widget` one character at a time, in any script.
inline void typeText(QWidget *widget, const QString &text) {
    for (const QChar ch : text) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, {}, QString(ch));
        QApplication::sendEvent(widget, &down);
    }
}

inline QString tunedName(const MainForm &form) {
    return form.controls().lblChannelName->text();
}
