#include "tuner/GenreCombo.h"

#include <QLineEdit>

GenreCombo::GenreCombo(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would pick an item while the user types.
    setCompleter(nullptr);
    setValidator(&typing_);
    connect(this, &QComboBox::activated, this, &GenreCombo::userPick);
}

void GenreCombo::clearAll() {
    clear();
    clearEditText();
}

void GenreCombo::appendItem(const ListItem &item) {
    // Qt makes the first item of an empty combo box current and shows its text; undo that.
    const QString shown = currentText();
    addItem(item.text, item.id);
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

ListItem GenreCombo::pickedItem() const {
    const QVariant id = currentData();
    return {text(), ListItem::Kind::Genre, id.isValid() ? id.toInt() : -1};
}
