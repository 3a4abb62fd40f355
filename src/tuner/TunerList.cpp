#include "tuner/TunerList.h"

#include <QKeyEvent>
#include <QMouseEvent>

int TunerListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count_;
}

QVariant TunerListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DecorationRole)
        return decoration_ ? decoration_(item(index.row())) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)
        return {};
    const ListItem row = item(index.row());
    if (role == Qt::DisplayRole)
        return row.text;
    const QString programme = programmeText_ ? programmeText_(row) : QString();
    if (role == Qt::ToolTipRole)
        return programme.isEmpty() ? QVariant() : QVariant(programme);
    return programme.isEmpty() ? row.text : row.text + QStringLiteral(", ") + programme;
}

void TunerListModel::setProgrammeText(std::function<QString(const ListItem &)> text) {
    programmeText_ = std::move(text);
    programmesChanged();
}

void TunerListModel::programmesChanged() {
    if (count_ > 0)
        emit dataChanged(index(0), index(count_ - 1), {Qt::AccessibleTextRole, Qt::ToolTipRole});
}

void TunerListModel::setDecoration(std::function<QVariant(const ListItem &)> decoration) {
    decoration_ = std::move(decoration);
    decorationsChanged();
}

void TunerListModel::decorationsChanged() {
    if (count_ > 0)
        emit dataChanged(index(0), index(count_ - 1), {Qt::DecorationRole});
}

ListItem TunerListModel::item(int row) const {
    for (const Rows &part : parts_) {
        if (row < part->size())
            return part->item(row);
        row -= int(part->size());
    }
    return {};
}

const Rows &TunerListModel::lastRows() const {
    static const Rows none;
    return parts_.empty() ? none : parts_.back();
}

void TunerListModel::clear() {
    beginResetModel();
    parts_.clear();
    count_ = 0;
    endResetModel();
}

void TunerListModel::append(Rows rows) {
    if (rows->size() == 0)
        return;
    beginInsertRows({}, count_, count_ + int(rows->size()) - 1);
    count_ += int(rows->size());
    parts_.push_back(std::move(rows));
    endInsertRows();
}

TunerList::TunerList(QWidget *parent) : QListView(parent) {
    // Every row has the list's one font and a single line: the view need not measure each.
    setUniformItemSizes(true);
    setModel(&model_);
}

void TunerList::clear() {
    model_.clear();
}

void TunerList::appendItems(const ListItems &items) {
    model_.append(rowsOf(items));
}

void TunerList::appendRows(Rows rows) {
    model_.append(std::move(rows));
}

bool TunerList::shows(const Rows &rows) const {
    return rows != nullptr && model_.lastRows() == rows && model_.rowCount() == rows->size();
}

void TunerList::selectRow(int row) {
    const QModelIndex index = model_.index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

int TunerList::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::optional<ListItem> TunerList::selectedItem() const {
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return model_.item(row);
}

QString TunerList::text() const {
    const auto item = selectedItem();
    return item ? item->text : QString();
}

QItemSelectionModel::SelectionFlags TunerList::selectionCommand(const QModelIndex &index,
                                                                const QEvent *event) const {
    // Qt lets Ctrl with a click or Space take the selection away; here it selects like a click.
    const auto command = QListView::selectionCommand(index, event);
    if (command & QItemSelectionModel::Deselect)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return command;
}

void TunerList::mousePressEvent(QMouseEvent *event) {
    // Only the left button selects; Qt would select with the others too, without a click.
    if (event->button() != Qt::LeftButton)
        return;
    QListView::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        emit userClick();
}

void TunerList::mouseDoubleClickEvent(QMouseEvent *event) {
    // Qt delivers the second press of a double click as this event alone; it is a click too.
    mousePressEvent(event);
}

void TunerList::mouseMoveEvent(QMouseEvent *event) {
    // Dragging with the button held would move the selection without a click; a press decides.
    if (event->buttons() == Qt::NoButton)
        QListView::mouseMoveEvent(event);
}

void TunerList::keyPressEvent(QKeyEvent *event) {
    const int before = selectedRow();
    // With nothing selected the keys start at the top, wherever Qt has put its focus frame.
    if (before < 0)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QListView::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before)
        emit userClick();
}
