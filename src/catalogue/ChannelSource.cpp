#include "catalogue/ChannelSource.h"

namespace {

class ItemRows : public ListRows {
public:
    explicit ItemRows(ListItems items) : items_(std::move(items)) {}

    qsizetype size() const override { return items_.size(); }
    ListItem item(qsizetype row) const override { return items_[row]; }

private:
    ListItems items_;
};

} // namespace

qsizetype ListRows::find(const ListItem &wanted) const {
    for (qsizetype row = 0; row < size(); ++row) {
        const ListItem here = item(row);
        if (here.kind == wanted.kind &&
            (wanted.id >= 0 ? here.id == wanted.id : here.text == wanted.text))
            return row;
    }
    return -1;
}

Rows rowsOf(ListItems items) {
    return std::make_shared<ItemRows>(std::move(items));
}
