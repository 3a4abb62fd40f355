// Full screen on the real player, with a window manager: the video fills the screen and goes on
// playing, Esc and a double-click bring the window back, and the cursor hides while it rests.

#include "support/EventLoopWatch.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// The cursor rests this long before it hides; a coarse timer may fire up to 5 % early.
constexpr qint64 RestMs = 2000 * 95 / 100;

// The shapes the cursor takes over a widget, each noted as it changes.
class CursorLog : public QObject {
public:
    explicit CursorLog(QWidget *widget) : widget_(widget), shape_(widget->cursor().shape()) {
        clock_.start();
        widget->installEventFilter(this);
    }

    QList<Qt::CursorShape> shapes() const { return shapes_; }
    int changes() const { return int(shapes_.size()); }
    // How long the cursor showed before its last change.
    qint64 shownMs() const { return changedAt_.last() - changedAt_.value(changedAt_.size() - 2); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::CursorChange && widget_->cursor().shape() != shape_) {
            shape_ = widget_->cursor().shape();
            shapes_.append(shape_);
            changedAt_.append(clock_.elapsed());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *widget_;
    Qt::CursorShape shape_;
    QElapsedTimer clock_;
    QList<Qt::CursorShape> shapes_;
    QList<qint64> changedAt_;
};

} // namespace

class TestFullScreen : public QObject {
    Q_OBJECT

    QByteArray stream;

    static QRect screen(const PlayerWindow &w) { return w.form.screen()->geometry(); }

    static bool isFull(const PlayerWindow &w) {
        return w.form.isFullScreen() &&
               w.c().videoControl->geometry() == QRect(QPoint(), screen(w).size());
    }

    static bool isHome(const PlayerWindow &w) {
        return !w.form.isFullScreen() && w.form.size() == QSize(730, 583) &&
               w.form.minimumSize() == w.form.maximumSize() &&
               w.c().videoControl->geometry() == QRect(24, 8, 679, 425);
    }

    // The middle of the video area as the screen shows it is near the colour: each component
    // within what turning it into the stream's YUV and back can change.
    static bool showsColour(QWidget *video, QColor colour) {
        const QPoint middle = video->mapToGlobal(video->rect().center());
        const QImage shown = video->screen()
                                 ->grabWindow(0, middle.x() - 4, middle.y() - 4, 9, 9)
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor pixel = shown.pixelColor(x, y);
                if (qAbs(pixel.red() - colour.red()) > 12 ||
                    qAbs(pixel.green() - colour.green()) > 12 ||
                    qAbs(pixel.blue() - colour.blue()) > 12)
                    return false;
            }
        return !shown.isNull();
    }

private slots:
    void initTestCase() {
        stream = makeTestStream(30);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    // The engine keeps its video all along.
    void enterAndLeave() {
        StreamServer server({.body = stream, .bytesPerSecond = int(stream.size() / 30)});
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QWidget *video = w.c().videoControl;
        tuneMonitored(w.form, "Sky news", server.url());
        QTRY_VERIFY_WITH_TIMEOUT(w.c().cmdFS->isEnabled(), 10000);
        QTRY_VERIFY(litShare(video) > 0.5);

        EventLoopWatch watch;
        QTest::mouseClick(w.c().cmdFS, Qt::LeftButton);
        QTRY_VERIFY(isFull(w));
        QTRY_COMPARE(QApplication::focusWidget(), video);
        const qint64 entering = watch.longestGapMs();
        {
            EventLoopWatch playing;
            QTest::qWait(3000);
            qInfo("longest event-loop gaps in full screen: %lld ms entering, %lld ms playing",
                  entering, playing.longestGapMs());
            QVERIFY2(playing.keptRunning(), playing.held());
        }
        QTRY_VERIFY(litShare(video) > 0.5);
        QCOMPARE(engineProperty(w.player.handle(), "vid"), "1");
        // The controls hidden under the video take no focus.
        QTest::keyClick(video, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), video);

        QTest::keyClick(video, Qt::Key_Escape);
        QTRY_VERIFY(isHome(w));
        QTRY_VERIFY(litShare(video) > 0.5);

        // The window manager takes a moment to hand the window back; no hand is quicker.
        QTest::qWait(200);
        QTest::mouseClick(w.c().cmdFS, Qt::LeftButton);
        QTRY_VERIFY(isFull(w));
        QTest::mouseDClick(video, Qt::LeftButton, {}, video->rect().center());
        QTRY_VERIFY(isHome(w));
        QCOMPARE(engineProperty(w.player.handle(), "vid"), "1");
        QVERIFY(!w.player.streamFailed());
    }

    // The picture reaches the screen in its own colours, in the window and full screen.
    void colours() {
        const QColor colour(0x20, 0x60, 0xC0);
        const QByteArray plain = makeColourStream(30, colour);
        QVERIFY2(!plain.isEmpty(), "ffmpeg made no test stream");
        StreamServer server({.body = plain, .bytesPerSecond = int(plain.size() / 30)});
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QWidget *video = w.c().videoControl;
        tuneMonitored(w.form, "Sky news", server.url());
        QTRY_VERIFY_WITH_TIMEOUT(showsColour(video, colour), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(w.c().cmdFS->isEnabled(), 10000);
        QTest::mouseClick(w.c().cmdFS, Qt::LeftButton);
        QTRY_VERIFY(isFull(w));
        QTRY_VERIFY(showsColour(video, colour));
        QTest::keyClick(video, Qt::Key_Escape);
        QTRY_VERIFY(isHome(w));
    }

    // Nothing playing: the screen goes black and the way back works all the same. The cursor
    // hides after resting, not sooner, and comes back when moved; every change of it is logged
    // as it happens, so a test slowed down by a busy machine sees all of them.
    void whileNothingPlays() {
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QWidget *video = w.c().videoControl;
        const CursorLog cursor(video);
        w.c().cmdFS->setEnabled(true);
        QTest::mouseClick(w.c().cmdFS, Qt::LeftButton);
        QTRY_VERIFY(isFull(w));
        QVERIFY(litShare(video) < 0.05);
        QTRY_COMPARE_WITH_TIMEOUT(cursor.changes(), 1, 10000);
        for (const QPoint offset : {QPoint(), QPoint(40, 40)}) {
            const int changes = cursor.changes();
            QTest::mouseMove(video, video->rect().center() + offset);
            QTRY_COMPARE_WITH_TIMEOUT(cursor.changes(), changes + 2, 10000);
            QVERIFY2(cursor.shownMs() >= RestMs,
                     qPrintable(QString("hid %1 ms after it moved").arg(cursor.shownMs())));
        }
        QTest::keyClick(video, Qt::Key_Escape);
        QTRY_VERIFY(isHome(w));
        QVERIFY(video->cursor().shape() != Qt::BlankCursor);
        QCOMPARE(cursor.shapes(),
                 QList<Qt::CursorShape>({Qt::BlankCursor, Qt::ArrowCursor, Qt::BlankCursor,
                                         Qt::ArrowCursor, Qt::BlankCursor, Qt::ArrowCursor}));
    }
};

QTEST_MAIN(TestFullScreen)
#include "tst_fullscreen.moc"
