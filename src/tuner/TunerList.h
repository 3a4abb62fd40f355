#pragma once

#include "catalogue/ChannelSource.h"

#include <QAbstractListModel>
#include <QListView>

#include <functional>
#include <optional>
#include <vector>

// The list's items. The view asks only for the rows it shows, so a genre of tens of thousands of
// channels appears as fast as one of five.
class TunerListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void clear();
    void append(Rows rows);
    ListItem item(int row) const;
    // A row's picture, where it has one (a channel's logo).
    void setDecoration(std::function<QVariant(const ListItem &)> decoration);
    void decorationsChanged();
    // What a row tells of its channel's programme on now, in its tooltip and to screen readers
    // after its name; none or the empty text where there is nothing to tell.
    void setProgrammeText(std::function<QString(const ListItem &)> text);
    // The programmes on now may have changed: the view shows its rows anew.
    void programmesChanged();
    // The rows appended last, which a channel list holds alone.
    const Rows &lastRows() const;
    const std::vector<Rows> &parts() const { return parts_; }

private:
    std::vector<Rows> parts_; // appended in order
    int count_ = 0;
    std::function<QVariant(const ListItem &)> decoration_;
    std::function<QString(const ListItem &)> programmeText_;
};

// The genre and channel list. Only the user's own selections raise `userClick`: every press of
// the left button on an item (also the one already selected) or a selection moved with the
// keyboard. An item once selected stays selected until the program clears the list; clearing and
// appending from the program raise nothing and select nothing.
class TunerList : public QListView {
    Q_OBJECT
public:
    explicit TunerList(QWidget *parent = nullptr);

    void clear();
    void appendItems(const ListItems &items);
    void appendRows(Rows rows);
    // The rows shown, when they are the `rows` appended last; selects `row` of them.
    bool shows(const Rows &rows) const;
    void selectRow(int row);
    // Everything the list shows, to be shown again later.
    std::vector<Rows> shownRows() const { return model_.parts(); }
    TunerListModel &rows() { return model_; }
    // The selected item, if any, and its text: the empty text when nothing is selected.
    std::optional<ListItem> selectedItem() const;
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

private:
    int selectedRow() const;

    TunerListModel model_;
};
