#include "catalogue/Tuning.h"

#include "app/Controls.h"
#include "catalogue/Catalogue.h"
#include "player/Player.h"
#include "status/ConnectionMonitor.h"

#include <QLabel>

namespace {

// Nothing watches a Flash stream's connection; the status line says so instead.
constexpr QStringView FlashSignal = u"Flash signal";

} // namespace

void TuneChannel(const Controls &c, Player &player, ConnectionMonitor &monitor,
                 const QString &text) {
    const ChannelEntry *row = FindChannel(text);
    if (row == nullptr)
        return;
    c.lblChannelName->setText(QString());
    c.lblChannelName->setText(row->ChannelName.toString());
    c.lblIndexNo->setText(row->IndexNo.toString());
    const QString address = row->StreamAddress.toString();
    switch (row->PlayMethod) {
    case PlayMethod::Monitored:
        player.setUrl(address);
        player.play();
        monitor.start();
        break;
    case PlayMethod::Flash:
        player.setUrl(address);
        player.play();
        monitor.stop();
        c.lblBuffering->setText(FlashSignal.toString());
        break;
    case PlayMethod::FlashEarly:
        player.setUrl(address);
        monitor.stop();
        c.lblBuffering->setText(FlashSignal.toString());
        player.play();
        break;
    }
}
