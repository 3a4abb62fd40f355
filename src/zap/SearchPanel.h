#pragma once

#include "catalogue/ChannelSource.h"

#include <QObject>

#include <vector>

struct Controls;
class QLineEdit;
class TuningState;

// The search field `txtSearch` at the top of the side panel: typing shows the current tuner's
// channels whose names hold the text, and they become the zap list; Enter tunes the first; Esc
// closes the field and brings back the list shown before.
class SearchPanel : public QObject {
    Q_OBJECT
public:
    SearchPanel(const Controls &c, TuningState &tuning);

    void open();
    void close();
    bool isOpen() const;
    QLineEdit *field() const { return field_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search(const QString &text);
    void tuneFirst();
    void showRows(const std::vector<Rows> &rows);

    const Controls &c_;
    TuningState &tuning_;
    QLineEdit *field_;
    std::vector<Rows> before_; // what the list showed when the field opened
    Rows zapListBefore_;
};
