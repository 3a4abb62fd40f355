// Opening a library a library at a time, those it needs first (player/LibraryLoad.h), on small
// libraries made for it (loadorder/CMakeLists.txt): the order, the library opened, and why one
// cannot be.

#include "player/LibraryLoad.h"

#include <QStringList>
#include <QTest>

#include <dlfcn.h>
#include <link.h>

namespace {

// The piece's name: "load_leaf" for ".../libload_leaf.so".
QString pieceName(const char *path) {
    const QString file = QString::fromLocal8Bit(path).section(QLatin1Char('/'), -1);
    return file.startsWith(u"libload_") && file.endsWith(u".so") ? file.mid(3, file.size() - 6)
                                                                 : QString();
}

QStringList pieceNames(const std::vector<std::string> &libraries) {
    QStringList names;
    for (const std::string &library : libraries)
        names << pieceName(library.c_str());
    return names;
}

std::string pieceFile(const QString &name) {
    return "lib" + name.toStdString() + ".so";
}

// The pieces in the process.
QStringList loadedPieces() {
    QStringList names;
    dl_iterate_phdr(
        [](dl_phdr_info *object, size_t, void *names) {
            if (const QString name = pieceName(object->dlpi_name); !name.isEmpty())
                *static_cast<QStringList *>(names) << name;
            return 0;
        },
        &names);
    names.sort();
    return names;
}

// One of the piece's functions ("value", "objectsAtStart"), found in the library opened.
int call(void *library, const QString &piece, const char *function) {
    const QByteArray name = (piece + u'_' + QLatin1String(function)).toUtf8();
    auto *found = reinterpret_cast<int (*)()>(dlsym(library, name.constData()));
    return found != nullptr ? found() : -1;
}

} // namespace

class TestLibraryLoad : public QObject {
    Q_OBJECT

private slots:
    void opens_data() {
        QTest::addColumn<QString>("piece");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("value");    // of the piece opened; 0 when it cannot be opened
        QTest::addColumn<QString>("lost"); // the piece that it cannot be opened without
        QTest::newRow("needing nothing") << "load_leaf" << QStringList{"load_leaf"} << 1 << "";
        QTest::newRow("a chain") << "load_chain_a"
                                 << QStringList{"load_chain_c", "load_chain_b", "load_chain_a"} << 3
                                 << "";
        QTest::newRow("one needed twice")
            << "load_shared_a" << QStringList{"load_shared_c", "load_shared_b", "load_shared_a"}
            << 4 << "";
        QTest::newRow("one in the needing one's own folder")
            << "load_own_a" << QStringList{"load_own_c", "load_own_a"} << 3 << "";
        QTest::newRow("one needing what it does not name")
            << "load_under_a" << QStringList{"load_under_b", "load_under_c", "load_under_a"} << 4
            << "";
        QTest::newRow("one needed that is nowhere")
            << "load_broken_a" << QStringList{"load_broken_c", "load_broken_a"} << 0
            << "load_broken_b";
        QTest::newRow("nowhere") << "load_missing" << QStringList{} << 0 << "load_missing";
    }
    void opens() {
        QFETCH(QString, piece);
        QFETCH(QStringList, order);
        QFETCH(int, value);
        QFETCH(QString, lost);
        const QStringList before = loadedPieces();
        QCOMPARE(pieceNames(libraryLoadOrder(pieceFile(piece))), order);
        // Finding the order loads nothing.
        QCOMPARE(loadedPieces(), before);
        std::string why;
        void *library = openLibrary(pieceFile(piece), why);
        if (value == 0) {
            QVERIFY(library == nullptr);
            QVERIFY2(why.find(pieceFile(lost)) != std::string::npos, why.c_str());
            return;
        }
        QVERIFY2(library != nullptr, why.c_str());
        QCOMPARE(call(library, piece, "value"), value);
    }

    // Each library that the chain needs has started before the next one comes into the process;
    // loaded at once, all three would start with all three there.
    void startsOneAtATime() {
        std::string why;
        void *library = openLibrary(pieceFile("load_steps_a"), why);
        QVERIFY2(library != nullptr, why.c_str());
        const int first = call(library, "load_steps_c", "objectsAtStart");
        QCOMPARE(call(library, "load_steps_b", "objectsAtStart"), first + 1);
        QCOMPARE(call(library, "load_steps_a", "objectsAtStart"), first + 2);
    }
};

QTEST_APPLESS_MAIN(TestLibraryLoad)
#include "tst_libraryload.moc"
