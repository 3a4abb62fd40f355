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

void TunerList::mousePressEvent(QMouseEvent *event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr)
        emit userClick();
}

void TunerList::mouseMoveEvent(QMouseEvent *event) {
    // Dragging with the button held would move the selection without a click; a press decides.
    if (event->buttons() == Qt::NoButton)
        QListWidget::mouseMoveEvent(event);
}

void TunerList::keyPressEvent(QKeyEvent *event) {
    const QListWidgetItem *before = selectedItems().value(0);
    QListWidget::keyPressEvent(event);
    const QListWidgetItem *after = selectedItems().value(0);
    if (after != nullptr && after != before)
        emit userClick();
}
