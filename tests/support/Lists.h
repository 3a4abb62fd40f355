#pragma once
// The side panel's list read and reached as the user does: the texts of its rows and where a row
// shows on screen.

#include "tuner/TunerList.h"

#include <QStringList>

inline int rowCount(const TunerList *list) {
    return list->model()->rowCount();
}

inline QString rowText(const TunerList *list, int row) {
    return list->model()->index(row, 0).data().toString();
}

inline QStringList rowTexts(const TunerList *list) {
    QStringList texts;
    for (int row = 0; row < rowCount(list); ++row)
        texts << rowText(list, row);
    return texts;
}

// The first row showing exactly `text`, or -1.
inline int findRow(const TunerList *list, const QString &text) {
    return int(rowTexts(list).indexOf(text));
}

// The row with the focus frame, and how many rows are selected.
inline int currentRow(const TunerList *list) {
    return list->currentIndex().row();
}
inline qsizetype selectedCount(const TunerList *list) {
    return list->selectionModel()->selectedIndexes().size();
}

// The middle of a row in the list's viewport, scrolled into view first.
inline QPoint rowCentre(TunerList *list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    return list->visualRect(index).center();
}

// Items that stand for their text alone, as the built-in channels do.
inline ListItems textItems(const QStringList &texts) {
    ListItems items;
    for (const QString &text : texts)
        items.append({text});
    return items;
}
