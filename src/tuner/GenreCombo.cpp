#include "tuner/GenreCombo.h"

#include <QKeyEvent>
#include <QLineEdit>

GenreCombo::GenreCombo(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would pick an item while the user types.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &GenreCombo::userPick);
}

void GenreCombo::clearAll() {
    clear();
    clearEditText();
}

void GenreCombo::appendItem(const QString &text) {
    // Qt makes the first item of an empty combo box current and shows its text; undo that.
    const QString shown = currentText();
    addItem(text);
    if (currentIndex() != -1) {
        setCurrentIndex(-1);
        setEditText(shown);
    }
}

void GenreCombo::setText(const QString &text) {
    setEditText(text);
}

QString GenreCombo::text() const {
    return currentText();
}

bool GenreCombo::eventFilter(QObject *watched, QEvent *event) {
    // Enter in the text field would pick the item whose text was typed.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}
