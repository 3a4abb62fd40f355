// The command line: what each form of it asks for, and the real program's answers to those it
// answers without a window.

#include "app/CommandLine.h"

#include <QProcess>
#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parsing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("playlist");
        using A = CommandLine::Action;
        QTest::newRow("none") << QStringList{} << A::Run << "";
        QTest::newRow("path") << QStringList{"list.m3u"} << A::Run << "list.m3u";
        QTest::newRow("address") << QStringList{"https://127.0.0.1/tv.m3u8"} << A::Run
                                 << "https://127.0.0.1/tv.m3u8";
        QTest::newRow("path after --") << QStringList{"--", "-odd.m3u"} << A::Run << "-odd.m3u";
        QTest::newRow("help") << QStringList{"--help"} << A::Help << "";
        QTest::newRow("short help") << QStringList{"list.m3u", "-h"} << A::Help << "";
        QTest::newRow("version") << QStringList{"--version"} << A::Version << "";
        QTest::newRow("unknown option") << QStringList{"--fullscreen"} << A::Misuse << "";
        QTest::newRow("two playlists") << QStringList{"a.m3u", "b.m3u"} << A::Misuse << "";
        QTest::newRow("empty name") << QStringList{""} << A::Misuse << "";
    }
    void parsing() {
        QFETCH(QStringList, arguments);
        const CommandLine line = parseCommandLine(arguments);
        QTEST(line.action, "action");
        QTEST(line.playlist, "playlist");
        QCOMPARE(line.problem.isEmpty(), line.action != CommandLine::Action::Misuse);
    }

    // Without a display: a program that tried to open its window would fail here.
    void answersWithoutAWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "^Usage: ruredivu \\[PLAYLIST\\]\n"
                              << "^$";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "^ruredivu 1\\.1\\.0\n$"
                                 << "^$";
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << 2 << "^$"
            << "^ruredivu: unknown option --bogus; usage: ruredivu \\[PLAYLIST\\]\n$";
        QTest::newRow("second argument")
            << QStringList{"a.m3u", "b.m3u"} << 2 << "^$"
            << "^ruredivu: one playlist at a time; usage: ruredivu \\[PLAYLIST\\]\n$";
    }
    void answersWithoutAWindow() {
        QFETCH(QStringList, arguments);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.start(RUREDIVU_BINARY, arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "exitCode");
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString shownOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString shownErr = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(QRegularExpression(out).match(shownOut).hasMatch(), qPrintable(shownOut));
        QVERIFY2(QRegularExpression(err).match(shownErr).hasMatch(), qPrintable(shownErr));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
