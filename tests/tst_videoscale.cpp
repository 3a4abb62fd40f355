// The video follows its area's size in device pixels while a stream plays: when the area is
// resized, and when the window moves to a screen of another scale. Qt's offscreen platform
// places two screens side by side here, at scales 1 and 2, which no X server of the tests can;
// the video is drawn by the CPU, so the real player needs no display for it.

#include "player/MpvVideoWidget.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Screens by their place from the left, and the scale of each.
constexpr qreal Scales[]{1, 2};

const QByteArray Screens = R"({"screens": [
    {"name": "one", "x": 0, "y": 0, "width": 1280, "height": 1024, "dpr": 1},
    {"name": "two", "x": 1280, "y": 0, "width": 1280, "height": 1024, "dpr": 2}]})";

} // namespace

class TestVideoScale : public QObject {
    Q_OBJECT

    QByteArray stream;

private slots:
    void initTestCase() {
        stream = makeTestStream(30);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
        QCOMPARE(QGuiApplication::screens().size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(QGuiApplication::screens()[i]->devicePixelRatio(), Scales[i]);
    }

    void framesFollowSizeAndScale() {
        StreamServer server({.body = stream, .bytesPerSecond = int(stream.size() / 30)});
        PlayerWindow w;
        auto *video = qobject_cast<MpvVideoWidget *>(w.player.videoArea());
        QVERIFY(video != nullptr);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        tuneMonitored(w.form, "QTV", server.url());
        QTRY_VERIFY_WITH_TIMEOUT(!video->frame().isNull(), 10000);

        // Each step: the screen the window is on, and the video area's size.
        const std::pair<int, QSize> steps[]{
            {0, video->size()},   {0, QSize(400, 250)}, {1, QSize(400, 250)},
            {1, QSize(600, 300)}, {0, QSize(600, 300)}, {1, QSize(600, 300)},
        };
        for (const auto &[screen, size] : steps) {
            w.form.move(QGuiApplication::screens()[screen]->geometry().topLeft() + QPoint(20, 20));
            video->resize(size);
            QTRY_COMPARE(w.form.screen(), QGuiApplication::screens()[screen]);
            QCOMPARE(video->devicePixelRatio(), Scales[screen]);
            QTRY_COMPARE_WITH_TIMEOUT(video->frame().size(), size * Scales[screen], 5000);
        }
        QVERIFY(!w.player.streamFailed());
    }
};

// The platform and its screens are chosen before the application starts.
int main(int argc, char *argv[]) {
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!config.open(QIODevice::WriteOnly) || config.write(Screens) != Screens.size())
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestVideoScale test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videoscale.moc"
