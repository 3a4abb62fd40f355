#pragma once

#include <QListWidget>

// The genre and channel list. Only the user's own selections raise `userClick`: every press of
// the left button on an item (also the one already selected) or a selection moved with the
// keyboard. An item once selected stays selected until the program clears the list; clearing and
// appending from the program raise nothing and select nothing.
class TunerList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    void appendItem(const QString &text);
    // The selected item's text; the empty text when nothing is selected.
    QString text() const;

signals:
    void userClick();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
