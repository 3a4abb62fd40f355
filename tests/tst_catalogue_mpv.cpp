// Every catalogue address handed to the real player: it reaches the player boundary exactly as
// the catalogue holds it, and libmpv's playlist with only the surrounding white space trimmed.
// The player really tries to open each address, so this runs only where the network is loopback
// alone (tests/loopback-only); anywhere else it skips.

#include "app/MainForm.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Tuning.h"
#include "form/Controls.h"
#include "player/MpvPlayer.h"
#include "support/EngineProcess.h"
#include "support/LoopbackOnly.h"
#include "tuner/BuiltInSource.h"

#include <QTest>
#include <QTimer>

#include <mpv/client.h>

namespace {

QString engine(mpv_handle *mpv, const char *name) {
    char *value = mpv_get_property_string(mpv, name);
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

// The real player, with every address it is handed written down on the way in.
class RecordingPlayer : public Player {
public:
    MpvPlayer mpv;
    QStringList addresses;

    QWidget *videoArea() override { return mpv.videoArea(); }
    void disableErrorDialogs() override { mpv.disableErrorDialogs(); }
    void setUrl(const QString &address, const StreamHeaders &headers = {}) override {
        addresses << address;
        mpv.setUrl(address, headers);
    }
    void play() override { mpv.play(); }
    void setVolume(int volume) override { mpv.setVolume(volume); }
    void enterFullScreen() override { mpv.enterFullScreen(); }
    void leaveFullScreen() override { mpv.leaveFullScreen(); }
    int bufferingCount() const override { return mpv.bufferingCount(); }
    bool streamFailed() const override { return mpv.streamFailed(); }
};

} // namespace

class TestCatalogueMpv : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!onlyLoopback())
            QSKIP("the network is not loopback alone; catalogue addresses stay off the player");
    }

    void everyAddressReachesTheEngine() {
        RecordingPlayer player;
        mpv_handle *mpv = player.mpv.handle();
        mpv_set_property_string(mpv, "ao", "null");
        mpv_set_property_string(mpv, "vo", "null");
        MainForm form(player);
        form.controls().TimeConnection->setInterval(24 * 3600 * 1000);
        for (const ChannelEntry &row : Catalogue) {
            const QString address = row.StreamAddress.toString();
            TuneChannel(form.controls(), player, form.monitor(),
                        BuiltInSource().channel({row.ListLabel.toString()}));
            QCOMPARE(player.addresses.last(), address);
            QTRY_COMPARE_WITH_TIMEOUT(engine(mpv, "playlist/0/filename"), address.trimmed(), 5000);
            QCOMPARE(engine(mpv, "playlist-count"), "1");
        }
        QCOMPARE(player.addresses.size(), 50);
        // Only the two addresses that begin with a space lose anything on the way.
        int trimmed = 0;
        for (const ChannelEntry &row : Catalogue)
            trimmed += row.StreamAddress.toString() != row.StreamAddress.toString().trimmed();
        QCOMPARE(trimmed, 2);
    }
};

QTEST_MAIN(TestCatalogueMpv)
#include "tst_catalogue_mpv.moc"
