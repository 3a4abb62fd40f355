// Windows Media's XML playlists as servers send them, read without the engine.

#include "player/AsxDocument.h"
#include "support/ListedAddresses.h"

#include <QStringEncoder>
#include <QTest>

namespace {

const QUrl Location(RemoteList);

// The items as text, each <entryref> marked.
QStringList texts(const std::vector<AsxItem> &items) {
    QStringList list;
    for (const AsxItem &item : items)
        list << (item.nested ? "entryref " : "") + item.address.toString();
    return list;
}

QByteArray utf16(const QString &text) {
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encoder(text);
}

} // namespace

class TestAsxDocument : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("entries in order, the refs of each in order")
            << QByteArray("<asx version=\"3.0\">\n<title>Radio</title>\n"
                          "<entry><ref href=\"http://a.example/1\"/>"
                          "<ref href=\"mms://a.example/2\"/></entry>\n"
                          "<entry><ref href=\"http://b.example/3\" /></entry></asx>")
            << QStringList{"http://a.example/1", "mms://a.example/2", "http://b.example/3"};
        QTest::newRow("tags and attributes in any case, values quoted any way")
            << QByteArray("<ASX VERSION=3><Entry><REF HREF='http://a.example/1'/></Entry>"
                          "<ENTRY><Ref Href=http://a.example/2></ENTRY></ASX>")
            << QStringList{"http://a.example/1", "http://a.example/2"};
        QTest::newRow("stray ampersands and entities")
            << QByteArray("<asx><title>Tom & Jerry</title><entry><ref "
                          "href=\"http://a.example/s?a=1&b=2&amp;c=3&#x26;d=&#52;&bogus;\"/>"
                          "</entry></asx>")
            << QStringList{"http://a.example/s?a=1&b=2&c=3&d=4&bogus;"};
        QTest::newRow("stray < in text")
            << QByteArray("<asx><title>1 < 2 <3 <b</title><entry><abstract>a<b c='</abstract>"
                          "<ref href=\"http://a.example/1\"/></entry></asx>")
            << QStringList{"http://a.example/1"};
        QTest::newRow("encoding declaration")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<asx><entry>"
                          "<ref href=\"http://a.example/caf\xe9\"/></entry></asx>")
            << QStringList{"http://a.example/café"};
        QTest::newRow("a declaration its bytes contradict")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-16\"?><asx><entry>"
                          "<ref href=\"http://a.example/caf\xc3\xa9\"/></entry></asx>")
            << QStringList{"http://a.example/café"};
        QTest::newRow("no declaration, not UTF-8")
            << QByteArray("<asx><entry><ref href=\"http://a.example/\x80uro\"/></entry></asx>")
            << QStringList{"http://a.example/€uro"};
        QTest::newRow("UTF-16 with a byte-order mark")
            << utf16("<asx><entry><ref href=\"http://a.example/é\"/></entry></asx>")
            << QStringList{"http://a.example/é"};
        QTest::newRow("relative refs")
            << QByteArray("<asx><entry><ref href=\"stream.ts\"/><ref href=\"../hd/stream.ts\"/>"
                          "<ref href=\"//cdn.example/x.ts\"/><ref href=\" sd.ts \"/></entry></asx>")
            << QStringList{"http://radio.example/live/stream.ts",
                           "http://radio.example/hd/stream.ts", "http://cdn.example/x.ts",
                           "http://radio.example/live/sd.ts"};
        QTest::newRow("entryref among entries")
            << QByteArray("<asx><entry><ref href=\"http://a.example/1\"/></entry>"
                          "<ENTRYREF HREF=\"more.asx\"/>"
                          "<entry><ref href=\"http://a.example/2\"/></entry></asx>")
            << QStringList{"http://a.example/1", "entryref http://radio.example/live/more.asx",
                           "http://a.example/2"};
        QTest::newRow("local files and devices refused")
            << QByteArray("<asx><entry><ref href=\"file:///etc/passwd\"/>"
                          "<ref href=\"/etc/passwd\"/><ref href=\"C:\\Music\\a.wma\"/>"
                          "<ref href=\"\\\\server\\share\\a.wma\"/><ref href=\"dvd://1\"/>"
                          "<ref href=\"av://v4l2:/dev/video0\"/><ref href=\"FILE:/dev/zero\"/>"
                          "<ref href=\"\"/></entry><entryref href=\"file:///tmp/x.asx\"/>"
                          "<entry><ref href=\"http://a.example/ok\"/></entry></asx>")
            << QStringList{"http://a.example/ok"};
        QTest::newRow("refs outside entries and in comments")
            << QByteArray("<asx><ref href=\"http://a.example/1\"/><!-- <entry><ref "
                          "href=\"http://a.example/2\"/></entry> --><entry/>"
                          "<ref href=\"http://a.example/3\"/></asx>")
            << QStringList{};
        QTest::newRow("no entries") << QByteArray("<asx version=\"3.0\"></asx>") << QStringList{};
        QTest::newRow("cut off mid-way")
            << QByteArray("<asx><entry><ref href=\"http://a.example/1\"/></entry><entry><ref "
                          "href=\"http://a.exa")
            << QStringList{"http://a.example/1"};
        // What every list from the network may name, the same as for playlists.
        for (const ListedAddress &listed : ListedAddresses) {
            QTest::addRow("listed: %s", listed.written)
                << "<asx><entry><ref href=\"" + QByteArray(listed.written) + "\"/></entry></asx>"
                << (listed.outcome == Listed::Opened ? QStringList{listed.opened} : QStringList{});
        }
    }
    void read() {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, items);
        QCOMPARE(texts(readAsx(document, Location)), items);
    }

    void sniff_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<AsxSniff>("kind");
        QTest::newRow("asx") << QByteArray("<asx version=\"3.0\">") << AsxSniff::Asx;
        QTest::newRow("after a declaration, comments and a byte-order mark")
            << QByteArray("\xef\xbb\xbf <?xml version=\"1.0\"?>\r\n<!-- live -->\n<ASX>")
            << AsxSniff::Asx;
        QTest::newRow("first bytes of a declaration")
            << QByteArray("  <?xml vers") << AsxSniff::Undecided;
        QTest::newRow("first bytes of the tag") << QByteArray("\n<As") << AsxSniff::Undecided;
        QTest::newRow("nothing yet") << QByteArray() << AsxSniff::Undecided;
        QTest::newRow("reference form")
            << QByteArray("[Reference]\r\nRef1=http://a.example/1\r\n") << AsxSniff::NotAsx;
        QTest::newRow("m3u") << QByteArray("#EXTM3U\n") << AsxSniff::NotAsx;
        QTest::newRow("web page") << QByteArray("<!DOCTYPE html><html>") << AsxSniff::NotAsx;
        QTest::newRow("another element") << QByteArray("<asxfoo>") << AsxSniff::NotAsx;
        QTest::newRow("transport stream")
            << QByteArray("\x47\x40\x00\x10\x00\x00\xb0", 7) << AsxSniff::NotAsx;
    }
    void sniff() {
        QFETCH(QByteArray, start);
        QFETCH(AsxSniff, kind);
        QCOMPARE(sniffAsx(start), kind);
    }
};

QTEST_GUILESS_MAIN(TestAsxDocument)
#include "tst_asxdocument.moc"
