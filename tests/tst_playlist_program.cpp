// The real program given every bad playlist source on its command line: its window opens, one
// line on stderr and one message box over the window say why, the window keeps its own title
// (and with it the built-in list), and the program goes on running. Guides that cannot be read
// each say why in a line of their own, and the playlist shows all the same.

#include "support/DisplayWindows.h"
#include "support/GuideText.h"
#include "support/PlaylistSources.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

// The rows whose server never answers take the program's whole time-out of 15 s; the others
// have their answer within seconds, also on a slow build.
constexpr int AnswerTimeoutMs = 60000;

// The lines the program itself wrote on stderr; libraries may add lines of their own.
// The program's own lines, less the one that says the desktop's media controls are off where
// no session bus runs.
QStringList programLines(const QByteArray &err) {
    QStringList lines;
    for (const QByteArray &line : err.split('\n'))
        if (line.startsWith("ruredivu: ") && !line.contains("media keys"))
            lines << QString::fromUtf8(line);
    return lines;
}

} // namespace

class TestPlaylistProgram : public QObject {
    Q_OBJECT

    PlaylistSources sources;
    QTemporaryDir runtime;

private slots:
    void badSources() {
        const QList<BadPlaylist> rows = sources.bad("15 seconds");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        // All at once, so that the rows that wait out the time-out do it together.
        std::vector<std::unique_ptr<QProcess>> programs;
        for (const BadPlaylist &row : rows) {
            auto &program = programs.emplace_back(std::make_unique<QProcess>());
            program->setProcessEnvironment(environment);
            program->start(RUREDIVU_BINARY, {row.source});
        }
        for (std::size_t i = 0; i < programs.size(); ++i) {
            QProcess &program = *programs[i];
            const BadPlaylist &row = rows[qsizetype(i)];
            QVERIFY2(program.waitForStarted(), row.name);
            QByteArray err;
            QTRY_VERIFY2_WITH_TIMEOUT(
                !programLines(err += program.readAllStandardError()).isEmpty() ||
                    program.state() != QProcess::Running,
                row.name, AnswerTimeoutMs);
            QTest::qWait(100); // a second line would come now
            err += program.readAllStandardError();
            QCOMPARE(programLines(err), QStringList{"ruredivu: " + row.message});
            QTRY_COMPARE_WITH_TIMEOUT(windowTitlesOf(program.processId()),
                                      QStringList({"RURE DIVU", "RURE DIVU"}), 10000);
            QVERIFY2(program.state() == QProcess::Running, row.name);
        }
        for (auto &program : programs) {
            program->kill();
            program->waitForFinished();
        }
    }

    // The guides of the command line, relative to the current folder, and of the playlist.
    void guideProblems_data() {
        QTest::addColumn<QString>("playlistGuides");
        QTest::addColumn<QStringList>("lines");
        const QString missing = sources.path("missing.xml");
        const QString notFound = sources.server().url("/guide.xml");
        const QString because404 = ": the server answered 404 Not Found.";
        const QString becauseMissing = ": the file does not exist.";
        QTest::newRow("one of three fails")
            << notFound + ",good.xml"
            << QStringList{"ruredivu: Could not read the guide " + missing + becauseMissing,
                           "ruredivu: Could not read the guide " + notFound + because404};
        QTest::newRow("all fail") << notFound
                                  << QStringList{"ruredivu: Could not read the guide " + missing +
                                                 becauseMissing + " Could not read the guide " +
                                                 notFound + because404};
    }
    void guideProblems() {
        QFETCH(QString, playlistGuides);
        QFETCH(QStringList, lines);
        sources.file("good.xml", xmltvText({{"a", {"A"}}}, {{"a", 0, 3600, "A1"}}));
        sources.file("list.m3u", "#EXTM3U x-tvg-url=\"" + playlistGuides.toUtf8() +
                                     "\"\n#EXTINF:-1 tvg-id=\"a\",A\nhttp://127.0.0.1:9/a\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(sources.path({}));
        program.start(RUREDIVU_BINARY, {"--guide", "missing.xml", "list.m3u"});
        QVERIFY(program.waitForStarted());
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT(programLines(err += program.readAllStandardError()).size() >=
                                         lines.size() ||
                                     program.state() != QProcess::Running,
                                 AnswerTimeoutMs);
        QTest::qWait(100); // another line would come now
        err += program.readAllStandardError();
        QCOMPARE(programLines(err), lines);
        QTRY_VERIFY_WITH_TIMEOUT(
            windowTitlesOf(program.processId()).contains("list.m3u - RURE DIVU"), 10000);
        QVERIFY(program.state() == QProcess::Running);
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(TestPlaylistProgram)
#include "tst_playlist_program.moc"
