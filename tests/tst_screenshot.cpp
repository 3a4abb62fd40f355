// The real program on a real X display: it opens, the three panels show in their colours, and it
// looks as the README's screenshot shows it. A screenshot of the window is saved in the build
// tree for a person to look at.

#include "form/Design.h"
#include "support/DisplayWindows.h"
#include "support/TimeScale.h"

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

    // Pixels of the window that differ from the README's screenshot, the clock aside, which shows
    // the time of each run; all of them when the sizes differ.
    static QRect clockArea() {
        const auto &time = design::control("lblTime");
        return {px(time.left), px(time.top), px(time.width), px(time.height)};
    }

    static qsizetype differencesFromReadme(const QImage &window) {
        const QImage shown(QStringLiteral(RUREDIVU_DOCS_DIR "/screenshot.png"));
        if (shown.size() != window.size())
            return qsizetype(window.width()) * window.height();
        const QRect clock = clockArea();
        qsizetype differences = 0;
        for (int y = 0; y < window.height(); ++y)
            for (int x = 0; x < window.width(); ++x)
                differences += !clock.contains(x, y) &&
                               (shown.pixel(x, y) & 0xFFFFFF) != (window.pixel(x, y) & 0xFFFFFF);
        return differences;
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
        const QImage window = settledScreen(QRect(origin, QSize(730, 583)), clockArea());
        const QString path = QDir::current().absoluteFilePath("screenshot.png");
        QVERIFY(window.save(path));
        qInfo("screenshot: %s", qPrintable(path));

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

        const qsizetype differences = differencesFromReadme(window);
        QVERIFY2(differences == 0,
                 qPrintable(QString("the window looks different from docs/screenshot.png (%1 "
                                    "pixels differ; see %2): run scripts/screenshot to make the "
                                    "README's screenshot anew")
                                .arg(differences)
                                .arg(path)));

        program.terminate();
        QVERIFY(program.waitForFinished(10000 * timeScale()));
    }
};

QTEST_MAIN(TestScreenshot)
#include "tst_screenshot.moc"
