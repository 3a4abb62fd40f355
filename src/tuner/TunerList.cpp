#include "tuner/TunerList.h"

#include <QKeyEvent>
#include <QMouseEvent>

void TunerList::appendItem(const QString &text) {
    addItem(text);
}

QString TunerList::text() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

QItemSelectionModel::SelectionFlags TunerList::selectionCommand(const QModelIndex &index,
                                                                const QEvent *event) const {
    // Qt lets Ctrl with a click or Space take the selection away; here it selects like a click.
    const auto command = QListWidget::selectionCommand(index, event);
    if (command & QItemSelectionModel::Deselect)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return command;
}

void TunerList::mousePressEvent(QMouseEvent *event) {
    // Only the left button selects; Qt would select with the others too, without a click.
    if (event->button() != Qt::LeftButton)
        return;
    QListWidget::mousePressEvent(event);
    if (itemAt(event->position().toPoint()) != nullptr)
        emit userClick();
}

void TunerList::mouseDoubleClickEvent(QMouseEvent *event) {
    // Qt delivers the second press of a double click as this event alone; it is a click too.
    mousePressEvent(event);
}

void TunerList::mouseMoveEvent(QMouseEvent *event) {
    // Dragging with the button held would move the selection without a click; a press decides.
    if (event->buttons() == Qt::NoButton)
        QListWidget::mouseMoveEvent(event);
}

void TunerList::keyPressEvent(QKeyEvent *event) {
    const QListWidgetItem *before = selectedItems().value(0);
    // With nothing selected the keys start at the top, wherever Qt has put its focus frame.
    if (before == nullptr)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QListWidget::keyPressEvent(event);
    const QListWidgetItem *after = selectedItems().value(0);
    if (after != nullptr && after != before)
        emit userClick();
}
