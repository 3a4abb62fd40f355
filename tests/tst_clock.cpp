// The clock: the locale's full time of day with seconds, 12- or 24-hour as the locale has it,
// never a time zone or a date, refreshed every second from the first moment the window shows.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "status/Clock.h"
#include "support/FakePlayer.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

class TestClock : public QObject {
    Q_OBJECT

private slots:
    void formats_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("en_US afternoon") << "en_US" << QTime(14, 5, 9) << "2:05:09 PM";
        QTest::newRow("en_US midnight") << "en_US" << QTime(0, 0, 0) << "12:00:00 AM";
        QTest::newRow("de_DE afternoon") << "de_DE" << QTime(14, 5, 9) << "14:05:09";
        QTest::newRow("de_DE midnight") << "de_DE" << QTime(0, 0, 0) << "00:00:00";
        QTest::newRow("en_GB") << "en_GB" << QTime(9, 30, 0) << "09:30:00";
    }
    void formats() {
        QFETCH(QString, locale);
        QFETCH(QTime, time);
        QFETCH(QString, text);
        // Some locales put a narrow no-break space before AM/PM; compare it as a space.
        QString shown = clockText(time, QLocale(locale));
        shown.replace(QChar(0x202F), u' ');
        QCOMPARE(shown, text);
    }

    // No locale's text keeps a time zone, whatever its long format looks like.
    void noTimeZoneAnywhere() {
        const QTime time(23, 59, 58);
        for (const QLocale &locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const QString text = clockText(time, locale);
            QVERIFY2(!text.contains("UTC") && !text.contains("GMT") && !text.contains("CET"),
                     qPrintable(locale.name() + ": " + text));
            QVERIFY2(text == text.trimmed(), qPrintable(locale.name()));
        }
    }

    // Under the locale the environment names (ctest runs this under two), start-up already
    // shows the time and the clock ticks every second.
    void tickOnTheWindow() {
        FakePlayer player;
        MainForm form(player);
        const Controls &c = form.controls();
        const QString shown = c.lblTime->text();
        const QString expected24 = "^\\d{2}:\\d{2}:\\d{2}$";
        const QString expected12 = "^\\d{1,2}:\\d{2}:\\d{2}\\s?(AM|PM)$";
        const QString pattern = QLocale().name() == "en_US" ? expected12 : expected24;
        if (QLocale().name() == "en_US" || QLocale().name() == "de_DE")
            QVERIFY2(QRegularExpression(pattern)
                         .match(QString(shown).replace(QChar(0x202F), ' '))
                         .hasMatch(),
                     qPrintable(shown));
        QCOMPARE(c.timeControl->interval(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(c.lblTime->text() != shown, 2500);
    }
};

QTEST_MAIN(TestClock)
#include "tst_clock.moc"
