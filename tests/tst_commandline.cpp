// The command line: what each form of it asks for, and the real program's answers to those it
// answers without a window.

#include "app/CommandLine.h"

#include <QDir>
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
        QTest::addColumn<QStringList>("guides");
        using A = CommandLine::Action;
        const QStringList none;
        const QString here = QDir::currentPath();
        QTest::newRow("none") << QStringList{} << A::Run << "" << none;
        QTest::newRow("path") << QStringList{"list.m3u"} << A::Run << "list.m3u" << none;
        QTest::newRow("address") << QStringList{"https://127.0.0.1/tv.m3u8"} << A::Run
                                 << "https://127.0.0.1/tv.m3u8" << none;
        QTest::newRow("path after --")
            << QStringList{"--", "-odd.m3u"} << A::Run << "-odd.m3u" << none;
        QTest::newRow("guides, in order, before or after the playlist")
            << QStringList{"--guide",  "https://127.0.0.1/g.xml.gz",
                           "list.m3u", "--guide=/srv/epg.xml",
                           "--guide",  "file:///srv/x.xml"}
            << A::Run << "list.m3u"
            << QStringList{"https://127.0.0.1/g.xml.gz", "/srv/epg.xml", "file:///srv/x.xml"};
        QTest::newRow("guide paths from the current folder")
            << QStringList{"--guide", "epg.xml", "--guide=../up/g.xml.xz", "--guide", "-odd.xml"}
            << A::Run << ""
            << QStringList{here + "/epg.xml", QDir::cleanPath(here + "/../up/g.xml.xz"),
                           here + "/-odd.xml"};
        QTest::newRow("a guide after --")
            << QStringList{"--", "--guide", "g.xml"} << A::Misuse << "" << none;
        QTest::newRow("help") << QStringList{"--help"} << A::Help << "" << none;
        QTest::newRow("short help") << QStringList{"list.m3u", "-h"} << A::Help << "" << none;
        QTest::newRow("version") << QStringList{"--version"} << A::Version << "" << none;
        QTest::newRow("unknown option") << QStringList{"--fullscreen"} << A::Misuse << "" << none;
        QTest::newRow("two playlists") << QStringList{"a.m3u", "b.m3u"} << A::Misuse << "" << none;
        QTest::newRow("empty name") << QStringList{""} << A::Misuse << "" << none;
        QTest::newRow("guide without a value")
            << QStringList{"list.m3u", "--guide"} << A::Misuse << "" << none;
        QTest::newRow("empty guide") << QStringList{"--guide="} << A::Misuse << "" << none;
        QTest::newRow("empty guide, apart")
            << QStringList{"--guide", ""} << A::Misuse << "" << none;
        QTest::newRow("an option of another name")
            << QStringList{"--guides=x"} << A::Misuse << "" << none;
    }
    void parsing() {
        QFETCH(QStringList, arguments);
        const CommandLine line = parseCommandLine(arguments);
        QTEST(line.action, "action");
        QTEST(line.playlist, "playlist");
        QTEST(line.guides, "guides");
        QCOMPARE(line.problem.isEmpty(), line.action != CommandLine::Action::Misuse);
    }

    // Without a display: a program that tried to open its window would fail here.
    void answersWithoutAWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString usage = "usage: ruredivu \\[--guide FILE\\|URL\\]\\.\\.\\. \\[PLAYLIST\\]\n$";
        QTest::newRow("help")
            << QStringList{"--help"} << 0
            << "^Usage: ruredivu \\[--guide FILE\\|URL\\]\\.\\.\\. \\[PLAYLIST\\]\n(.*\n)*"
               "      --guide FILE\\|URL  a programme guide"
            << "^$";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "^ruredivu 1\\.1\\.0\n$"
                                 << "^$";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "^$"
                                        << "^ruredivu: unknown option --bogus; " + usage;
        QTest::newRow("second argument") << QStringList{"a.m3u", "b.m3u"} << 2 << "^$"
                                         << "^ruredivu: one playlist at a time; " + usage;
        QTest::newRow("guide without a value")
            << QStringList{"--guide"} << 2 << "^$"
            << "^ruredivu: option --guide needs a file or address; " + usage;
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
