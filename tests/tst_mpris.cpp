// The program as the desktop sees it on the session bus. The desktop's own clients, playerctl and
// gdbus, drive it from outside: they zap, set the volume and full screen and read what it shows,
// and a client of its own hears every change that the program announces. Runs on a private
// session bus (dbus-run-session); the program's side is the real window with the stand-in player.
// With --serve this same program is the tuner alone, as a second instance or one without a bus.

#include "app/MainForm.h"
#include "bus/DesktopActions.h"
#include "bus/MprisService.h"
#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "support/EventLoopWatch.h"
#include "support/FakePlayer.h"
#include "support/TimeScale.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

const QString AppId = QStringLiteral(RUREDIVU_APP_ID);
const QString BusName = QStringLiteral("org.mpris.MediaPlayer2.ruredivu");
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString RootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString ServeArgument = QStringLiteral("--serve");

// How long a client or the program may take to answer, however busy the machine.
int limitMs() {
    return 60'000 * timeScale();
}

// The channels that the zap list offers; one has no logo.
struct TestChannel {
    const char *name;
    qint32 number;
    const char *logo;
};
constexpr TestChannel Channels[] = {
    {"Alpha News", 3, "http://127.0.0.1:9/logos/alpha.png"},
    {"Beta Sports", 17, ""},
    {"Gamma Music", 42, "file:///srv/logos/gamma.png"},
};
constexpr int Alpha = 0;
constexpr int Beta = 1;
constexpr int Gamma = 2;

ListItem channelItem(int channel) {
    return {QString::fromUtf8(Channels[channel].name), ListItem::Kind::Channel};
}
ListItem genreItem(const char *name) {
    return {QString::fromUtf8(name), ListItem::Kind::Genre};
}
// The three channels with a genre between the first two, which zapping passes over.
ListItems zapItems() {
    return {channelItem(Alpha), genreItem("Films"), channelItem(Beta), channelItem(Gamma)};
}

// The test channels and nothing else: only tuning asks for anything here.
class TestSource : public ChannelSource {
public:
    ListItems genres(TunerKind) const override { return {}; }
    std::optional<Rows> listClickChannels(const ListItem &) const override { return {}; }
    std::optional<Rows> comboPickChannels(const ListItem &) const override { return {}; }
    std::optional<Channel> channel(const ListItem &item) const override {
        for (const TestChannel &c : Channels) {
            if (item.kind != ListItem::Kind::Channel || item.text != QString::fromUtf8(c.name))
                continue;
            Channel channel;
            channel.name = item.text;
            channel.number = QStringLiteral("CH %1").arg(c.number, 5, 10, QChar(u'0'));
            channel.address = QStringLiteral("http://127.0.0.1:9/live/%1.ts").arg(c.number);
            channel.logo = QString::fromUtf8(c.logo);
            return channel;
        }
        return std::nullopt;
    }
    std::vector<qint32> channelNumbers() const override { return {}; }
    std::optional<ListItem> numberedChannel(qint32) const override { return {}; }
    Rows search(TunerKind, const QString &) const override { return rowsOf({}); }
    std::optional<ChannelKey> keyOf(const ListItem &) const override { return {}; }
    std::optional<ListItem> itemOf(const ChannelKey &) const override { return {}; }
    TunerKind tunerOf(const ListItem &) const override { return TunerKind::Tv; }
};

// The stand-in player, whose stream can also fail as a real one does.
class TestPlayer : public FakePlayer {
public:
    void failStream() {
        failed = true;
        notePlaying(false);
    }
};

// The window's side of the desktop's requests: zapping through the tuning, the volume through the
// slider's own handler as a move of the slider, and a count of the rest.
class WindowActions : public DesktopActions {
public:
    WindowActions(TuningState &tuning, const Controls &c) : tuning_(tuning), c_(c) {}

    void raise() override { ++raised; }
    void quit() override { ++quits; }
    void zap(int step) override {
        if (const auto row = tuning_.zapRow(step))
            tuning_.tune(tuning_.zapList()->item(*row));
    }
    void setVolumeStep(int step) override {
        c_.sldMainVolume->setSliderPosition(step);
        c_.sldMainVolume->triggerAction(QAbstractSlider::SliderMove);
    }

    int raised = 0;
    int quits = 0;

private:
    TuningState &tuning_;
    const Controls &c_;
};

// The program's side, all but the service.
struct Window {
    TestPlayer player;
    MainForm form{player};
    TuningState tuning{form.controls(), player, form.monitor(), std::make_shared<TestSource>()};
    WindowActions actions{tuning, form.controls()};
};

struct ToolRun {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;

    bool ok() const { return finished && exitCode == 0; }
    // The output, or what went wrong, for a comparison to show.
    QString answer() const { return ok() ? out.trimmed() : QStringLiteral("failed: ") + err; }
};

// Runs a client of the bus to its end. The event loop runs meanwhile: the program answers the
// client from there.
ToolRun runTool(const QString &program, const QStringList &arguments) {
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    ToolRun run;
    run.finished = process.waitForStarted() && finished.wait(limitMs());
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ToolRun gdbusCall(const QString &method, const QStringList &arguments,
                  const QString &destination = BusName) {
    return runTool(QStringLiteral("gdbus"),
                   QStringList{"call", "--session", "--dest", destination, "--object-path",
                               ObjectPath, "--method", method} +
                       arguments);
}

// A property as gdbus prints it: "(<'RURE DIVU'>,)".
QString readProperty(const QString &interface, const QString &property,
                     const QString &destination = BusName) {
    return gdbusCall(PropertiesInterface + ".Get", {interface, property}, destination).answer();
}

QString writeProperty(const QString &interface, const QString &property, const QString &value) {
    return gdbusCall(PropertiesInterface + ".Set", {interface, property, '<' + value + '>'})
        .answer();
}

// The number in a property as gdbus prints it: "(<0.29999999999999999>,)".
double printedNumber(const QString &printed) {
    static const QRegularExpression number(QStringLiteral("<(-?[0-9.e+-]+)>"));
    const auto match = number.match(printed);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

QString playerctl(const QStringList &arguments) {
    return runTool(QStringLiteral("playerctl"), QStringList{"--player=ruredivu"} + arguments)
        .answer();
}

// What the desktop shows of a channel, as playerctl prints it (object paths quoted).
constexpr auto ShownMetadata = "{{xesam:title}}|{{mpris:trackid}}|{{mpris:artUrl}}";
QString shownChannel(int channel) {
    const TestChannel &c = Channels[channel];
    return QStringLiteral("%1|'/com/brelvonix/ruredivu/channel/%2'|%3")
        .arg(QString::fromUtf8(c.name))
        .arg(c.number)
        .arg(QString::fromUtf8(c.logo));
}

} // namespace

// Every change of a property that the program announces, as a client on a connection of its own
// hears it.
class Announcements : public QObject {
    Q_OBJECT
public:
    Announcements()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                             QStringLiteral("announcements"))) {}

    bool listen() {
        const bool connected = bus_.connect(
            QString(), ObjectPath, PropertiesInterface, QStringLiteral("PropertiesChanged"), this,
            SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        // The bus takes a connection's requests in order: once it answers this one, it sends
        // this connection every announcement.
        return connected && bus_.interface()->isServiceRegistered(BusName).isValid();
    }

    // Hears out whatever the program announced so far, then forgets it: the program's own
    // connection sends a marker after it, and everything before the marker comes first.
    bool settle() {
        QDBusMessage marker = QDBusMessage::createSignal(ObjectPath, PropertiesInterface,
                                                         QStringLiteral("PropertiesChanged"));
        marker << Marker << QVariantMap() << QStringList();
        QSignalSpy heard(this, &Announcements::markerHeard);
        if (!QDBusConnection::sessionBus().send(marker) || !heard.wait(limitMs()))
            return false;
        values_.clear();
        return true;
    }

    // The value announced last for `property`, or an invalid one.
    QVariant last(const QString &interface, const QString &property) const {
        return values_.value(interface + u'.' + property);
    }
    // The title that the metadata announced last shows.
    QString lastTitle() const {
        return last(PlayerInterface, QStringLiteral("Metadata"))
            .toMap()
            .value(QStringLiteral("xesam:title"))
            .toString();
    }

signals:
    void markerHeard();

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &) {
        if (interface == Marker) {
            emit markerHeard();
            return;
        }
        for (auto it = changed.begin(); it != changed.end(); ++it) {
            QVariant value = it.value();
            if (value.userType() == qMetaTypeId<QDBusArgument>())
                value = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
            values_.insert(interface + u'.' + it.key(), value);
        }
    }

private:
    static inline const QString Marker = QStringLiteral("test.Marker");
    QDBusConnection bus_;
    QVariantMap values_;
};

class TestMpris : public QObject {
    Q_OBJECT

    Announcements announcements;
    std::unique_ptr<Window> window;
    std::unique_ptr<MprisService> service;

    const Controls &c() const { return window->form.controls(); }
    void tune(int channel) { QVERIFY(window->tuning.tune(channelItem(channel))); }
    // A volume as the desktop reads it, and as the program announced it last.
    double readVolume() const {
        return printedNumber(readProperty(PlayerInterface, QStringLiteral("Volume")));
    }
    double announcedVolume() const {
        return announcements.last(PlayerInterface, QStringLiteral("Volume")).toDouble();
    }

private slots:
    void initTestCase() { QVERIFY(announcements.listen()); }

    void init() {
        window = std::make_unique<Window>();
        service = std::make_unique<MprisService>(window->tuning, window->actions, AppId);
        QSignalSpy published(service.get(), &MprisService::published);
        QVERIFY(published.wait(limitMs()));
        QCOMPARE(service->busName(), BusName);
        QVERIFY(announcements.settle());
    }
    void cleanup() {
        service.reset();
        window.reset();
    }

    // What the desktop reads of the program as it starts, before any channel.
    void properties_data() {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("printed");
        const auto row = [](const QString &interface, const char *property, const QString &value) {
            QTest::newRow(property) << interface << QString::fromLatin1(property)
                                    << QStringLiteral("(<%1>,)").arg(value);
        };
        row(RootInterface, "Identity", "'RURE DIVU'");
        row(RootInterface, "DesktopEntry", '\'' + AppId + '\'');
        row(RootInterface, "CanRaise", "true");
        row(RootInterface, "CanQuit", "true");
        row(RootInterface, "Fullscreen", "false");
        row(RootInterface, "CanSetFullscreen", "true");
        row(RootInterface, "HasTrackList", "false");
        row(RootInterface, "SupportedUriSchemes", "@as []");
        row(RootInterface, "SupportedMimeTypes", "@as []");
        row(PlayerInterface, "PlaybackStatus", "'Stopped'");
        row(PlayerInterface, "Metadata",
            "{'mpris:trackid': <objectpath '/org/mpris/MediaPlayer2/TrackList/NoTrack'>}");
        row(PlayerInterface, "Volume", "0.0");
        row(PlayerInterface, "CanGoNext", "false");
        row(PlayerInterface, "CanGoPrevious", "false");
        row(PlayerInterface, "CanPlay", "true");
        row(PlayerInterface, "CanPause", "true");
        row(PlayerInterface, "CanSeek", "false");
        row(PlayerInterface, "CanControl", "true");
        row(PlayerInterface, "Rate", "1.0");
        row(PlayerInterface, "MinimumRate", "1.0");
        row(PlayerInterface, "MaximumRate", "1.0");
        row(PlayerInterface, "Position", "int64 0");
    }
    void properties() {
        QFETCH(QString, interface);
        QFETCH(QString, property);
        QFETCH(QString, printed);
        QCOMPARE(readProperty(interface, property), printed);
    }

    // Raise and Quit go to the window; the rest are answered and change nothing of the channel
    // playing.
    void methods_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("raised");
        QTest::addColumn<int>("quits");
        QTest::newRow("Raise") << RootInterface + ".Raise" << QStringList() << 1 << 0;
        QTest::newRow("Quit") << RootInterface + ".Quit" << QStringList() << 0 << 1;
        for (const char *method : {"Play", "Pause", "PlayPause", "Stop"})
            QTest::newRow(method) << PlayerInterface + '.' + method << QStringList() << 0 << 0;
        QTest::newRow("Seek") << PlayerInterface + ".Seek" << QStringList{"5000000"} << 0 << 0;
        QTest::newRow("SetPosition")
            << PlayerInterface + ".SetPosition"
            << QStringList{"'/com/brelvonix/ruredivu/channel/3'", "5000000"} << 0 << 0;
        QTest::newRow("OpenUri") << PlayerInterface + ".OpenUri"
                                 << QStringList{"'http://127.0.0.1:9/live/9.ts'"} << 0 << 0;
    }
    void methods() {
        QFETCH(QString, method);
        QFETCH(QStringList, arguments);
        QFETCH(int, raised);
        QFETCH(int, quits);
        tune(Alpha);
        const QStringList operations = window->player.log;
        QCOMPARE(gdbusCall(method, arguments).answer(), "()");
        QCOMPARE(window->actions.raised, raised);
        QCOMPARE(window->actions.quits, quits);
        QCOMPARE(window->player.log, operations);
        QCOMPARE(playerctl({"metadata", "--format", ShownMetadata}), shownChannel(Alpha));
        QCOMPARE(playerctl({"status"}), "Playing");
    }

    // A volume from the desktop moves the slider to the nearest step, and the player with it;
    // the desktop reads and hears the step's volume. Each starts at step 5.
    void volumeFromDesktop_data() {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("volume");
        QTest::addColumn<int>("step");
        const auto row = [](const char *client, const char *volume, int step) {
            QTest::addRow("%s %s", client, volume) << client << volume << step;
        };
        row("gdbus", "0.0", 0);
        row("gdbus", "0.3", 3);
        row("gdbus", "0.34", 3);
        row("gdbus", "0.66", 7);
        row("gdbus", "0.5", 5);
        row("gdbus", "1.0", 10);
        row("gdbus", "1.7", 10);
        row("gdbus", "-0.5", 0);
        row("playerctl", "0.8", 8);
        row("playerctl", "0.2", 2);
    }
    void volumeFromDesktop() {
        QFETCH(QString, client);
        QFETCH(QString, volume);
        QFETCH(int, step);
        window->actions.setVolumeStep(5);
        QTRY_COMPARE_WITH_TIMEOUT(announcedVolume(), 0.5, limitMs());
        const QString answer =
            client == "gdbus" ? writeProperty(PlayerInterface, QStringLiteral("Volume"), volume)
                              : playerctl({"volume", volume});
        QVERIFY2(!answer.startsWith("failed"), qPrintable(answer));
        QCOMPARE(c().sldMainVolume->value(), step);
        QCOMPARE(window->player.volume, 10 * step);
        QCOMPARE(readVolume(), step / 10.0);
        QTRY_COMPARE_WITH_TIMEOUT(announcedVolume(), step / 10.0, limitMs());
    }

    // The user's moves of the slider show on the desktop. Each starts at step 5.
    void volumeFromSlider_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("step");
        QTest::newRow("Right") << int(Qt::Key_Right) << 6;
        QTest::newRow("Left") << int(Qt::Key_Left) << 4;
        QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 10;
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 10;
        QTest::newRow("Home") << int(Qt::Key_Home) << 0;
    }
    void volumeFromSlider() {
        QFETCH(int, key);
        QFETCH(int, step);
        window->actions.setVolumeStep(5);
        QTest::keyClick(c().sldMainVolume, Qt::Key(key));
        QCOMPARE(window->player.volume, 10 * step);
        QCOMPARE(playerctl({"volume"}).toDouble(), step / 10.0);
        QTRY_COMPARE_WITH_TIMEOUT(announcedVolume(), step / 10.0, limitMs());
    }

    // The desktop's next and previous zap along the zap list, and what it shows follows.
    void zapping_data() {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("channel");
        QTest::newRow("next from no channel") << QStringList{"next"} << Alpha;
        QTest::newRow("next passes over a genre") << QStringList{"next", "next"} << Beta;
        QTest::newRow("previous from no channel") << QStringList{"previous"} << Gamma;
        QTest::newRow("next wraps round") << QStringList{"next", "next", "next", "next"} << Alpha;
        QTest::newRow("previous wraps round") << QStringList{"next", "previous"} << Gamma;
        QTest::newRow("back and on") << QStringList{"previous", "previous", "next"} << Gamma;
    }
    void zapping() {
        QFETCH(QStringList, commands);
        QFETCH(int, channel);
        window->tuning.setZapList(rowsOf(zapItems()));
        for (const QString &command : commands)
            QCOMPARE(playerctl({command}), "");
        QCOMPARE(c().lblChannelName->text(), QString::fromUtf8(Channels[channel].name));
        QCOMPARE(playerctl({"metadata", "--format", ShownMetadata}), shownChannel(channel));
        QCOMPARE(playerctl({"status"}), "Playing");
        QTRY_COMPARE_WITH_TIMEOUT(announcements.lastTitle(),
                                  QString::fromUtf8(Channels[channel].name), limitMs());
    }

    // Next and previous are offered while the zap list has a channel to go to.
    void canGo_data() {
        QTest::addColumn<ListItems>("zapList");
        QTest::addColumn<bool>("canGo");
        QTest::newRow("empty") << ListItems() << false;
        QTest::newRow("genres only") << ListItems{genreItem("Films"), genreItem("News")} << false;
        QTest::newRow("one channel") << ListItems{channelItem(Beta)} << true;
        QTest::newRow("channels and a genre") << zapItems() << true;
    }
    void canGo() {
        QFETCH(ListItems, zapList);
        QFETCH(bool, canGo);
        const QString printed = canGo ? "(<true>,)" : "(<false>,)";
        window->tuning.setZapList(rowsOf(zapList));
        QCOMPARE(readProperty(PlayerInterface, QStringLiteral("CanGoNext")), printed);
        QCOMPARE(readProperty(PlayerInterface, QStringLiteral("CanGoPrevious")), printed);
        if (!canGo)
            return; // as it started: nothing to announce
        for (const QString property : {"CanGoNext", "CanGoPrevious"})
            QTRY_COMPARE_WITH_TIMEOUT(announcements.last(PlayerInterface, property), QVariant(true),
                                      limitMs());
        window->tuning.setZapList({});
        for (const QString property : {"CanGoNext", "CanGoPrevious"})
            QTRY_COMPARE_WITH_TIMEOUT(announcements.last(PlayerInterface, property),
                                      QVariant(false), limitMs());
    }

    // Playing from the first tuning on, stopped once the stream failed, until the next tuning.
    void playbackStatus() {
        const auto status = [this](const char *expected) {
            QCOMPARE(playerctl({"status"}), expected);
            QTRY_COMPARE_WITH_TIMEOUT(
                announcements.last(PlayerInterface, QStringLiteral("PlaybackStatus")).toString(),
                expected, limitMs());
        };
        QCOMPARE(playerctl({"status"}), "Stopped");
        tune(Alpha);
        status("Playing");
        window->player.failStream();
        status("Stopped");
        tune(Gamma);
        status("Playing");
        QTRY_COMPARE_WITH_TIMEOUT(announcements.lastTitle(),
                                  QString::fromUtf8(Channels[Gamma].name), limitMs());
    }

    // Full screen set from the desktop, and left again.
    void fullscreen() {
        struct Step {
            const char *value;
            bool fullScreen;
            const char *operation;
        };
        for (const Step step :
             {Step{"true", true, "enterFullScreen"}, Step{"false", false, "leaveFullScreen"},
              Step{"true", true, "enterFullScreen"}}) {
            window->player.log.clear();
            QCOMPARE(writeProperty(RootInterface, QStringLiteral("Fullscreen"), step.value), "()");
            QCOMPARE(window->player.log, QStringList{step.operation});
            QCOMPARE(window->player.isFullScreen(), step.fullScreen);
            QCOMPARE(readProperty(RootInterface, QStringLiteral("Fullscreen")),
                     QStringLiteral("(<%1>,)").arg(step.value));
            QTRY_COMPARE_WITH_TIMEOUT(
                announcements.last(RootInterface, QStringLiteral("Fullscreen")),
                QVariant(step.fullScreen), limitMs());
        }
        // Leaving by the window's own means shows too.
        window->player.leaveFullScreen();
        QTRY_COMPARE_WITH_TIMEOUT(announcements.last(RootInterface, QStringLiteral("Fullscreen")),
                                  QVariant(false), limitMs());
    }

    // A second instance takes a name of its own beside the first one's.
    void secondInstance() {
        QProcess second;
        QByteArray said;
        connect(&second, &QProcess::readyReadStandardOutput, this,
                [&] { said += second.readAllStandardOutput(); });
        second.start(QCoreApplication::applicationFilePath(), {ServeArgument});
        QVERIFY(second.waitForStarted());
        const QString name = BusName + ".instance" + QString::number(second.processId());
        QTRY_VERIFY_WITH_TIMEOUT(said.contains("name "), limitMs());
        QVERIFY2(said.contains("name " + name.toUtf8() + '\n'), said.constData());
        QCOMPARE(readProperty(RootInterface, QStringLiteral("Identity"), name), "(<'RURE DIVU'>,)");
        const QStringList players =
            runTool(QStringLiteral("playerctl"), {"--list-all"}).answer().split(u'\n');
        QVERIFY(players.contains("ruredivu"));
        QVERIFY(players.contains(name.mid(RootInterface.size() + 1)));
        QCOMPARE(service->busName(), BusName);
        QSignalSpy finished(&second, &QProcess::finished);
        second.closeWriteChannel();
        QVERIFY(finished.wait(limitMs()));
        QCOMPARE(second.exitCode(), 0);
    }

    // Without a session bus the program runs on, says so in one line and holds nothing up:
    // whether the address names no bus or there is no address at all (and no display from which
    // to start a bus either).
    void withoutBus_data() {
        QTest::addColumn<bool>("address");
        QTest::newRow("address of no bus") << true;
        QTest::newRow("no address") << false;
    }
    void withoutBus() {
        QFETCH(bool, address);
        QTemporaryDir nowhere;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", nowhere.path());
        environment.remove("DISPLAY");
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        if (address)
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + nowhere.filePath("bus"));
        QProcess alone;
        alone.setProcessEnvironment(environment);
        QByteArray said;
        connect(&alone, &QProcess::readyReadStandardOutput, this,
                [&] { said += alone.readAllStandardOutput(); });
        alone.start(QCoreApplication::applicationFilePath(), {ServeArgument});
        QVERIFY(alone.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(said.contains("loop "), limitMs());
        QSignalSpy finished(&alone, &QProcess::finished);
        alone.closeWriteChannel();
        QVERIFY(finished.wait(limitMs()));
        QCOMPARE(alone.exitStatus(), QProcess::NormalExit);
        QCOMPARE(alone.exitCode(), 0);
        said += alone.readAllStandardOutput();
        QVERIFY2(said.contains("loop kept running\n"), said.constData());
        QVERIFY2(!said.contains("name "), said.constData());
        const QByteArray complaint = alone.readAllStandardError();
        QCOMPARE(complaint.count('\n'), 1);
        QVERIFY2(complaint.contains("session bus"), complaint.constData());
    }
};

namespace {

void say(const QByteArray &line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The tuner alone: it says on standard output the name that the bus gave it and whether its event
// loop kept running while the service was made, and ends once its standard input closes.
int serve() {
    Window window;
    EventLoopWatch watch;
    MprisService service(window.tuning, window.actions, AppId);
    QObject::connect(&service, &MprisService::published,
                     [](const QString &name) { say("name " + name.toUtf8()); });
    QTimer::singleShot(0, [&watch] {
        say(watch.keptRunning() ? QByteArray("loop kept running") : "loop " + watch.held());
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] {
        char byte;
        if (read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (QCoreApplication::arguments().contains(ServeArgument))
        return serve();
    TestMpris test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mpris.moc"
