#pragma once

#include <QListWidget>

// The genre and channel list. Only the user's own selections raise `userClick`: a press on an
// item (also the one already selected) or a selection moved with the keyboard. Clearing and
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
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
