#pragma once

#include <QComboBox>

// The genre picker: a drop-down list with a text field the user may type into. Only a pick of
// one of its items by mouse or keyboard raises `userPick`; typing, and Enter in the text field,
// pick nothing and add nothing. Items appended by the program select none and leave the text.
class GenreCombo : public QComboBox {
    Q_OBJECT
public:
    explicit GenreCombo(QWidget *parent = nullptr);

    void clearAll();
    void appendItem(const QString &text);
    void setText(const QString &text);
    QString text() const;

signals:
    void userPick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
