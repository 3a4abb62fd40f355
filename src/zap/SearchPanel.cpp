#include "zap/SearchPanel.h"

#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "form/Design.h"
#include "tuner/GenreLists.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

SearchPanel::SearchPanel(const Controls &c, TuningState &tuning)
    : QObject(c.mainForm), c_(c), tuning_(tuning), field_(new QLineEdit(c.mainForm)) {
    field_->setObjectName(QStringLiteral("txtSearch"));
    field_->setAccessibleName(QStringLiteral("Search channels"));
    field_->setPlaceholderText(QStringLiteral("Search channels"));
    field_->setClearButtonEnabled(true);
    field_->hide();
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, &SearchPanel::search);
    connect(field_, &QLineEdit::returnPressed, this, &SearchPanel::tuneFirst);
}

bool SearchPanel::isOpen() const {
    return field_->isVisible();
}

void SearchPanel::open() {
    // The field lies in the side panel, which a closed panel opens with the TV tuner's genres.
    if (c_.cmdTv->isEnabled() && c_.cmdRadio->isEnabled())
        cmdTvClick(c_, tuning_);
    if (!isOpen()) {
        before_ = c_.lstTuner->shownRows();
        zapListBefore_ = tuning_.zapList();
        const QRect list = c_.lstTuner->geometry();
        const int height = field_->sizeHint().height();
        field_->setGeometry(list.left(), list.top(), list.width(), height);
        c_.lstTuner->setGeometry(list.adjusted(0, height, 0, 0));
        field_->clear();
        field_->show();
    }
    field_->setFocus();
    field_->selectAll();
}

void SearchPanel::close() {
    if (!isOpen())
        return;
    field_->hide();
    c_.lstTuner->setGeometry(c_.lstTuner->geometry().adjusted(0, -field_->height(), 0, 0));
    showRows(before_);
    tuning_.setZapList(zapListBefore_);
    before_.clear();
    zapListBefore_.reset();
    c_.lstTuner->setFocus();
}

void SearchPanel::search(const QString &text) {
    if (text.isEmpty()) {
        showRows(before_);
        tuning_.setZapList(zapListBefore_);
        return;
    }
    const Rows found = tuning_.source().search(tuning_.tuner(), text);
    showRows({found});
    tuning_.setZapList(found);
}

void SearchPanel::tuneFirst() {
    if (field_->text().isEmpty() || c_.lstTuner->model()->rowCount() == 0)
        return;
    c_.lstTuner->selectRow(0);
    lstTunerClick(c_, tuning_);
}

void SearchPanel::showRows(const std::vector<Rows> &rows) {
    c_.lstTuner->clear();
    for (const Rows &part : rows)
        c_.lstTuner->appendRows(part);
}

bool SearchPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == field_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
