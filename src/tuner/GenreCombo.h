#pragma once

#include "catalogue/ChannelSource.h"

#include <QComboBox>
#include <QValidator>

// The genre picker: a drop-down list with a text field the user may type into. Only a pick of
// one of its items by mouse or keyboard raises `userPick`; typing, Enter in the text field and
// leaving it pick nothing and add nothing. Items appended by the program select none and leave
// the text.
class GenreCombo : public QComboBox {
    Q_OBJECT
public:
    explicit GenreCombo(QWidget *parent = nullptr);

    void clearAll();
    void appendItem(const ListItem &item);
    void setText(const QString &text);
    QString text() const;
    // The item just picked: its text and the source's number for it.
    ListItem pickedItem() const;

signals:
    void userPick();

private:
    // Qt picks the item whose text was typed once the typing is finished, by Enter or by leaving
    // the field; typing that is never accepted as finished never picks.
    class NeverFinished : public QValidator {
    public:
        State validate(QString &, int &) const override { return Intermediate; }
    };
    NeverFinished typing_;
};
