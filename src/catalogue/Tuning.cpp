#include "catalogue/Tuning.h"

#include "form/Controls.h"
#include "player/Player.h"
#include "status/ConnectionMonitor.h"

#include <QLabel>

namespace {

// Nothing watches a Flash stream's connection; the status line says so instead.
constexpr QStringView FlashSignal = u"Flash signal";

} // namespace

void TuneChannel(const Controls &c, Player &player, ConnectionMonitor &monitor,
                 const std::optional<Channel> &channel) {
    if (!channel)
        return;
    c.lblChannelName->setText(QString());
    c.lblChannelName->setText(channel->name);
    c.lblIndexNo->setText(channel->number);
    const QString &address = channel->address;
    switch (channel->method) {
    case PlayMethod::Monitored:
        player.setUrl(address, channel->headers);
        player.play();
        monitor.start();
        break;
    case PlayMethod::Flash:
        player.setUrl(address, channel->headers);
        player.play();
        monitor.stop();
        c.lblBuffering->setText(FlashSignal.toString());
        break;
    case PlayMethod::FlashEarly:
        player.setUrl(address, channel->headers);
        monitor.stop();
        c.lblBuffering->setText(FlashSignal.toString());
        player.play();
        break;
    }
}
