// The real program on a screen scaled by 2 (QT_SCALE_FACTOR=2): the window is the same window at
// twice the size. Panels, buttons and texts sit at twice their places at scale 1, and every text
// shows whole, at twice its size, inside its control.

#include "form/Design.h"
#include "support/DisplayWindows.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <functional>

using design::px;

namespace {

constexpr QRgb Olive = 0xC0C000;
constexpr QRgb Grey = 0xC0C0C0;

// The colour a text is drawn in.
enum Ink { Blue, White, Black };

QRgb rgb(const QImage &image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// Stretches of a line where the pixels differ from the background, as [start, end) pairs.
using Runs = QList<std::pair<int, int>>;

Runs runs(const QImage &image, QPoint from, QPoint step, int length, QRgb background) {
    Runs found;
    int start = -1;
    for (int i = 0; i <= length; ++i) {
        const QPoint p = from + step * i;
        const bool differs = i < length && rgb(image, p.x(), p.y()) != background;
        if (differs && start < 0)
            start = i;
        if (!differs && start >= 0) {
            found.append({start, i});
            start = -1;
        }
    }
    return found;
}

// The smallest box around the pixels of `area` that `match` picks: where a text is drawn.
QRect inked(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &match) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (match(rgb(image, x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

bool near(int scaled, int twice, int tolerance = 2) {
    return std::abs(scaled - twice) <= tolerance;
}

// The program's window on the screen at one scale factor, in device pixels.
struct Shot {
    int scale = 0;
    QImage window;
    QSize size; // as the X server has it

    QRect box(int x, int y, int width, int height) const {
        return {x * scale, y * scale, width * scale, height * scale};
    }
};

QSize windowSizeOnScreen() {
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-root", "-tree"});
    if (!xwininfo.waitForFinished(5000))
        return {};
    static const QRegularExpression line(R"re(\("ruredivu" "RURE DIVU"\)\s+(\d+)x(\d+)\+)re");
    const auto match = line.match(QString::fromUtf8(xwininfo.readAllStandardOutput()));
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

    Shot one, two;

    // Starts the program at a scale factor, waits for the bottom bar's olive at its place and
    // grabs the window (which, with no window manager, opens at the screen's top left corner).
    static Shot shoot(int scale) {
        Shot shot;
        shot.scale = scale;
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_SCALE_FACTOR", QString::number(scale));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(RUREDIVU_BINARY), {});
        if (!program.waitForStarted())
            return shot;
        QImage screen;
        for (int attempt = 0; attempt < 50; ++attempt) {
            QTest::qWait(200);
            screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            if (rgb(screen, 8 * scale, 504 * scale) == Olive &&
                rgb(screen, 7 * scale - 1, 504 * scale) == Grey)
                break;
        }
        const auto &time = design::control("lblTime");
        const QRect clock(px(time.left) * scale, px(time.top) * scale, px(time.width) * scale,
                          px(time.height) * scale);
        shot.window = settledScreen(QRect(QPoint(0, 0), QSize(730, 583) * scale), clock);
        shot.size = windowSizeOnScreen();
        program.terminate();
        program.waitForFinished(3000);
        return shot;
    }

    static void compareRuns(const Runs &atOne, const Runs &atTwo) {
        QCOMPARE(atTwo.size(), atOne.size());
        for (int i = 0; i < atOne.size(); ++i) {
            QVERIFY2(near(atTwo[i].first, 2 * atOne[i].first) &&
                         near(atTwo[i].second, 2 * atOne[i].second),
                     qPrintable(QString("[%1, %2) at 1x, [%3, %4) at 2x")
                                    .arg(atOne[i].first)
                                    .arg(atOne[i].second)
                                    .arg(atTwo[i].first)
                                    .arg(atTwo[i].second)));
        }
    }

private slots:
    void initTestCase() {
        one = shoot(1);
        two = shoot(2);
        QVERIFY2(rgb(one.window, 300, 560) == Olive, "the window did not show at scale 1");
        QVERIFY2(rgb(two.window, 600, 1120) == Olive, "the window did not show at scale 2");
    }

    void windowKeepsItsProportions() {
        QCOMPARE(one.size, QSize(730, 583));
        QCOMPARE(two.size, QSize(1460, 1166));
        // Across the window: the video panel and the closed side panel's edge on the grey.
        const auto across = [](const Shot &s) {
            return runs(s.window, {0, 300 * s.scale}, {1, 0}, 730 * s.scale, Grey);
        };
        const auto down = [](const Shot &s) {
            return runs(s.window, {300 * s.scale, 0}, {0, 1}, 583 * s.scale, Grey);
        };
        QCOMPARE(across(one), Runs({{8, 721}, {728, 730}}));
        QCOMPARE(down(one), Runs({{0, 497}, {504, 577}}));
        compareRuns(across(one), across(two));
        compareRuns(down(one), down(two));
    }

    // The buttons on the bottom bar: a row through the upper three, a column through the two
    // tuner buttons.
    void buttonsKeepTheirPlaces() {
        const auto row = [](const Shot &s) {
            return runs(s.window, {8 * s.scale, 516 * s.scale}, {1, 0}, 272 * s.scale, Olive);
        };
        const auto column = [](const Shot &s) {
            return runs(s.window, {28 * s.scale, 504 * s.scale}, {0, 1}, 73 * s.scale, Olive);
        };
        QCOMPARE(row(one).size(), 3);
        QCOMPARE(column(one).size(), 2);
        compareRuns(row(one), row(two));
        compareRuns(column(one), column(two));
    }

    // Each text: where it is drawn at scale 1, doubled, is where it is drawn at scale 2, so none
    // is cut short or wrapped; and it lies inside its control with room to spare.
    void textsShowWhole() {
        QFETCH(QString, name);
        QFETCH(int, ink);
        // Inside a button's border.
        const int border = name.startsWith("cmd") ? 2 : 0;
        const auto &d = *std::find_if(design::Controls.begin(), design::Controls.end(),
                                      [&](const auto &c) { return name == c.name.data(); });
        const auto match = [ink](QRgb c) {
            const int r = qRed(c), g = qGreen(c), b = qBlue(c);
            switch (Ink(ink)) {
            case Blue:
                return b > r + 80 && b > g + 80;
            case White:
                return std::min({r, g, b}) > 170;
            case Black:
                return std::max({r, g, b}) < 120;
            }
            return false;
        };
        QRect atScale[2];
        for (const Shot *s : {&one, &two}) {
            const QRect area = s->box(px(d.left) + border, px(d.top) + border,
                                      px(d.width) - 2 * border, px(d.height) - 2 * border);
            const QRect text = inked(s->window, area, match);
            QVERIFY2(!text.isEmpty(), qPrintable(QString("no text at scale %1").arg(s->scale)));
            QVERIFY2(area.adjusted(1, 1, -1, -1).contains(text),
                     qPrintable(QString("text touches its edge at scale %1").arg(s->scale)));
            atScale[s->scale - 1] = text;
        }
        const QRect &a = atScale[0], &b = atScale[1];
        const auto describe = [](const QRect &r) {
            return QString("(%1, %2, %3 x %4)")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height());
        };
        const QString where = describe(a) + " at 1x, " + describe(b) + " at 2x";
        // Fonts are hinted anew at each size, so a text may come out a few pixels off.
        const int slack = 3 + a.width() / 25;
        QVERIFY2(near(b.center().x(), 2 * a.center().x(), slack) &&
                     near(b.center().y(), 2 * a.center().y(), 3) &&
                     near(b.width(), 2 * a.width(), slack) && near(b.height(), 2 * a.height(), 4),
                 qPrintable(where));
    }
    void textsShowWhole_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ink");
        for (const auto &[name, ink] : {std::pair{"lblChannelName", Blue},
                                        {"Label1", White},
                                        {"lblIndexNo", Black},
                                        {"cmdTv", Black},
                                        {"cmdRadio", Black},
                                        {"cmdSettings", Black}})
            QTest::newRow(name) << QString(name) << int(ink);
    }
};

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
