#include "status/ConnectionMonitor.h"

#include "app/ControlOps.h"
#include "app/Controls.h"
#include "player/Player.h"

#include <QLabel>

void ConnectionMonitor::start() { writeEnabled(c_.TimeConnection, true); }

void ConnectionMonitor::stop() { writeEnabled(c_.TimeConnection, false); }

void ConnectionMonitor::tick() {
    writeInterval(c_.TimeConnection, 500);
    c_.lblBuffering->setText(QString::number(player_.bufferingCount()));
}
