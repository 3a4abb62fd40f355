// The real program on a real X display: it opens, the three panels show in their colours, and a
// screenshot of the window is saved for a person to look at and kept for the README.

#include "form/Design.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>

using design::px;

class TestScreenshot : public QObject {
    Q_OBJECT

    // The window's top left corner, found by the bottom bar's olive, which starts at (8, 504).
    static QPoint windowOrigin(const QImage &screen) {
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if ((screen.pixel(x, y) & 0xFFFFFF) == 0xC0C000)
                    return {x - 8, y - 504};
        return {-1, -1};
    }

    // The README shows the window as this test sees it. Its copy in docs/ is written anew
    // whenever the window looks different from it, the clock aside, which shows the time of
    // each run; so it never goes stale and changes only when the window does.
    static void refreshReadmeScreenshot(const QImage &window) {
        const QString path = QStringLiteral(RUREDIVU_DOCS_DIR "/screenshot.png");
        const QImage shown(path);
        const auto &time = design::control("lblTime");
        const QRect clock(px(time.left), px(time.top), px(time.width), px(time.height));
        bool same = shown.size() == window.size();
        for (int y = 0; same && y < window.height(); ++y)
            for (int x = 0; same && x < window.width(); ++x)
                same = clock.contains(x, y) ||
                       (shown.pixel(x, y) & 0xFFFFFF) == (window.pixel(x, y) & 0xFFFFFF);
        if (same)
            return;
        QVERIFY(window.save(path));
        qInfo("the window looks different now: %s written anew", qPrintable(path));
    }

private slots:
    void panelsShowInTheirColours() {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(RUREDIVU_BINARY), {});
        QVERIFY(program.waitForStarted());
        QImage screen;
        QPoint origin(-1, -1);
        for (int attempt = 0; attempt < 50 && origin.x() < 0; ++attempt) {
            QTest::qWait(200);
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            origin = windowOrigin(screen);
        }
        QVERIFY2(origin.x() >= 0, "the window did not show");
        QTest::qWait(500);
        screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QImage window = screen.copy(QRect(origin, QSize(730, 583)));
        const QString path = QDir::current().absoluteFilePath("screenshot.png");
        QVERIFY(window.save(path));
        qInfo("screenshot: %s", qPrintable(path));
        refreshReadmeScreenshot(window);

        const auto rgb = [&](int x, int y) { return window.pixel(x, y) & 0xFFFFFF; };
        QCOMPARE(rgb(3, 200), 0xC0C0C0u);   // the window's own margin at the left
        QCOMPARE(rgb(400, 500), 0xC0C0C0u); // between the video area and the bottom bar
        QCOMPARE(rgb(12, 470), 0x000000u);  // the video area's panel
        QCOMPARE(rgb(300, 100), 0x000000u); // the idle video
        QCOMPARE(rgb(300, 560), 0xC0C000u); // the bottom bar
        QCOMPARE(rgb(729, 300), 0x000000u); // the closed side panel's edge
        // The logo is on view, in colour.
        int coloured = 0;
        for (int y = 440; y < 488; ++y)
            for (int x = 16; x < 113; ++x)
                coloured += qRed(window.pixel(x, y)) > 100 || qBlue(window.pixel(x, y)) > 100;
        QVERIFY(coloured > 500);

        program.terminate();
        QVERIFY(program.waitForFinished(3000));
    }
};

QTEST_MAIN(TestScreenshot)
#include "tst_screenshot.moc"
