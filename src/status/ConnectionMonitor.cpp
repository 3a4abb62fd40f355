#include "status/ConnectionMonitor.h"

#include "form/ControlOps.h"
#include "form/Controls.h"
#include "form/Design.h"
#include "player/Player.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// From this many bufferings on, the stream counts as failing.
constexpr int ErrorCount = 4;

const QString Waiting = QStringLiteral("Waiting for connection...");
const QString ConnectedTo = QStringLiteral("Connected to ");
const QString SignalError = QStringLiteral("Connection signal Error...");
const QString WarningBefore =
    QStringLiteral("It seems that they might be a problem connecting to ");
const QString WarningAfter = QStringLiteral(" or your network connection speed might be too slow "
                                            "to access this channel");

} // namespace

void ConnectionMonitor::start() {
    closeWarning();
    warned_ = false;
    writeEnabled(c_.TimeConnection, true);
}

void ConnectionMonitor::stop() {
    closeWarning();
    writeEnabled(c_.TimeConnection, false);
}

void ConnectionMonitor::tick() {
    writeInterval(c_.TimeConnection, design::TimeConnectionInterval);
    const int count = player_.bufferingCount();
    c_.lblBuffering->setText(QString::number(count));
    if (count >= 1)
        c_.cmdFS->setEnabled(true);
    if (count >= ErrorCount || player_.streamFailed()) {
        c_.lblBuffering->setText(SignalError);
        warn();
    } else if (count == 0) {
        c_.lblBuffering->setText(Waiting);
    } else {
        c_.lblBuffering->setText(ConnectedTo + c_.lblChannelName->text());
    }
}

// Once per tuning. The box is modal to the window but does not hold up the tick, so both timers
// go on ticking while it is open.
void ConnectionMonitor::warn() {
    if (warned_)
        return;
    warned_ = true;
    const QString title = QString::fromUtf16(design::Title.data(), qsizetype(design::Title.size()));
    auto *box = new QMessageBox(QMessageBox::NoIcon, title,
                                WarningBefore + c_.lblChannelName->text() + WarningAfter,
                                QMessageBox::Ok, c_.mainForm);
    box->setObjectName(QStringLiteral("connectionWarning"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    warning_ = box;
}

// A warning is about the tuning it was raised for; the next tuning takes it away.
void ConnectionMonitor::closeWarning() {
    if (warning_ != nullptr)
        warning_->close();
}
