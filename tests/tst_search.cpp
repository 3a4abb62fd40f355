// Finding channels by what is typed: titles as playlists write them (accents, case, ligatures,
// compatibility forms, other scripts, digits and punctuation, titles that are their address),
// each found or not by a playlist's search and by the title matcher alike; the tuners kept apart,
// playlist order, and a large list searched against the matcher.

#include "search/TitleSearch.h"
#include "support/PlaylistText.h"

#include <QTest>

namespace {

const QString Address = QStringLiteral("http://stream.example/live/1.m3u8");

struct MatchRow {
    const char *name;
    QString title; // empty: titled by its address
    QString text;
    bool matches;
    QString address = Address;
};

const MatchRow MatchRows[] = {
    {"accents dropped", u"Télé 5"_qs, u"Tele"_qs, true},
    {"accents typed", u"Tele 5"_qs, u"télé"_qs, true},
    {"accents and case", u"Télé 5"_qs, u"TÉLÉ 5"_qs, true},
    {"capital accents", u"ÉCOLE TV"_qs, u"ecole"_qs, true},
    {"another number", u"Télé 5"_qs, u"tele 6"_qs, false},
    {"stacked accents", u"Việt Nam VTV1"_qs, u"viet nam"_qs, true},
    {"written decomposed", u"Te\u0301le\u0301 Matin"_qs, u"Télé"_qs, true},
    {"typed decomposed", u"Télé Matin"_qs, u"te\u0301le\u0301"_qs, true},
    {"a letter of its own", u"ŁÓDŹ TV"_qs, u"łódź"_qs, true},
    {"dotted capital I", u"İSTANBUL TV"_qs, u"istanbul"_qs, true},
    {"sharp s, Qt's case folding", u"Straße TV"_qs, u"STRASSE"_qs, false},
    {"capital sharp s", u"STRAẞE TV"_qs, u"straße"_qs, true},
    {"ligature fi", u"ﬁlm 24"_qs, u"FILM"_qs, true},
    {"ligature oe, case", u"Œuvres TV"_qs, u"œuvres"_qs, true},
    {"full-width letters", u"ＣＮＮ International"_qs, u"cnn"_qs, true},
    {"superscript digit", u"M²TV"_qs, u"m2"_qs, true},
    {"plus sign", u"CNN HD+"_qs, u"hd+"_qs, true},
    {"plus sign, space", u"CNN HD+"_qs, u"hd +"_qs, false},
    {"parentheses", u"BBC One (720p)"_qs, u"ONE (720P)"_qs, true},
    {"other resolution", u"BBC One (720p)"_qs, u"(1080p)"_qs, false},
    {"digits and signs", u"Channel 5 +1"_qs, u"5 +1"_qs, true},
    {"soft hyphen and byte-order mark", u"\uFEFFCanal\u00AD+"_qs, u"canal+"_qs, true},
    {"zero-width space", u"RTL\u200BZWEI"_qs, u"rtlzwei"_qs, true},
    {"emoji", u"⚽ Sport 1"_qs, u"⚽"_qs, true},
    {"Cyrillic", u"Первый канал"_qs, u"первый"_qs, true},
    {"Cyrillic capitals", u"Первый канал"_qs, u"КАНАЛ"_qs, true},
    {"Cyrillic other word", u"Первый канал"_qs, u"россия"_qs, false},
    {"Greek, tonos dropped", u"Ελληνικά Νέα"_qs, u"ελληνικα"_qs, true},
    {"Greek capitals with tonos", u"Ελληνικά Νέα"_qs, u"ΕΛΛΗΝΙΚΆ"_qs, true},
    {"Greek final sigma", u"ΟΔΥΣΣΕΥΣ"_qs, u"Οδυσσεύς"_qs, true},
    {"Arabic", u"الجزيرة مباشر"_qs, u"الجزيرة"_qs, true},
    {"Arabic vowel marks", u"قناة مُحَمَّد"_qs, u"محمد"_qs, true},
    {"Arabic other word", u"الجزيرة مباشر"_qs, u"العربية"_qs, false},
    {"Chinese", u"中央电视台 CCTV-1"_qs, u"电视"_qs, true},
    {"Chinese and Latin", u"中央电视台 CCTV-1"_qs, u"cctv-1"_qs, true},
    {"Japanese", u"ガンダムチャンネル"_qs, u"ガンダム"_qs, true},
    {"Japanese voicing kept", u"ガンダムチャンネル"_qs, u"カンタム"_qs, false},
    {"half-width kana", u"ｶﾞﾝﾀﾞﾑ TV"_qs, u"ガンダム"_qs, true},
    {"Korean", u"한국방송 KBS"_qs, u"한국"_qs, true},
    {"Korean syllables whole", u"한국방송 KBS"_qs, u"하"_qs, false},
    {"Devanagari", u"आज तक हिन्दी"_qs, u"हिन्दी"_qs, true},
    {"Devanagari vowel signs kept", u"आज तक हिन्दी"_qs, u"हन्द"_qs, false},
    {"titled by its address", QString(), u"LIVE/1.M3U8"_qs, true},
    {"titled by its address, resolved", QString(), u"lists.example/tv/euronews"_qs, true,
     u"euronews.ts"_qs},
    {"empty text", u"Télé 5"_qs, QString(), false},
    {"text of an accent alone", u"Télé 5"_qs, u"\u0301"_qs, false},
};

struct FoldRow {
    const char *name;
    QString text;
    QString folded;
};

const FoldRow FoldRows[] = {
    {"Latin accents", u"Télé Côte d'Azur"_qs, u"tele cote d'azur"_qs},
    {"capitals", u"ÉCOLE"_qs, u"ecole"_qs},
    {"ligature", u"ﬁlm"_qs, u"film"_qs},
    {"compatibility forms", u"ＣＮＮ ² ½"_qs, u"cnn 2 1⁄2"_qs},
    {"Cyrillic breve and diaeresis", u"Первый Ёлка"_qs, u"первыи елка"_qs},
    {"Greek", u"ΕΛΛΗΝΙΚΆ Ὀδυσσεύς"_qs, u"ελληνικα οδυσσευσ"_qs},
    {"Arabic harakat", u"مُحَمَّد"_qs, u"محمد"_qs},
    {"half-width kana composed", u"ｶﾞﾝﾀﾞﾑ"_qs, u"ガンダム"_qs},
    {"Hangul", u"한국"_qs, u"한국"_qs},
    {"Devanagari", u"हिन्दी"_qs, u"हिन्दी"_qs},
    {"decomposed", u"Te\u0301le\u0301"_qs, u"tele"_qs},
    {"invisible characters", u"\uFEFFRTL\u200B II\u00AD"_qs, u"rtl ii"_qs},
    {"sharp s", u"Straße"_qs, u"straße"_qs},
};

// Entries around the one under test, so that it is found among others; "Radio" and "TV" are in
// no text of the table.
QList<M3uEntry> aroundTitle(const QString &title, const QString &address) {
    return {{u"Radio"_qs, u"http://radio.example/1"_qs, true},
            {title, address},
            {u"TV"_qs, u"http://tv.example/1"_qs},
            {title, address, true}};
}

// What the search finds, as a list that a failed comparison shows.
QList<qint32> found(const TitleSearch &search, QStringView text, bool radio) {
    const std::vector<qint32> entries = search.find(text, radio);
    return QList<qint32>(entries.begin(), entries.end());
}

// What it must find: every entry of the tuner whose title the matcher says matches.
QList<qint32> matching(const Playlist &list, QStringView text, bool radio) {
    QList<qint32> entries;
    for (qint32 entry = 0; entry < list.size(); ++entry) {
        if (list.isRadio(entry) == radio && titleMatches(list.title(entry), text))
            entries.append(entry);
    }
    return entries;
}

// Titles of every kind, numbered so that texts with digits find some of them.
QList<M3uEntry> mixedEntries(int count) {
    const QString titles[] = {u"News %1"_qs,   u"Télé %1 HD"_qs, u"Первый канал %1"_qs,
                              u"電視台 %1"_qs, QString(),        u"ﬁlm (720p) %1"_qs};
    QList<M3uEntry> entries;
    for (int i = 0; i < count; ++i) {
        const QString &title = titles[i % std::size(titles)];
        entries.append({title.isEmpty() ? title : title.arg(i),
                        QStringLiteral("http://s%1.example/live/%2.ts").arg(i % 7).arg(i),
                        i % 3 == 0});
    }
    return entries;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void folds_data();
    void folds();
    void keepsTunersApartInPlaylistOrder();
    void largeListAgreesWithMatcher();
    void endsWhileIndexing();
};

void TestSearch::matches_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    for (const MatchRow &row : MatchRows)
        QTest::newRow(row.name) << row.title << row.address << row.text << row.matches;
}

void TestSearch::matches() {
    QFETCH(QString, title);
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    const std::shared_ptr<const Playlist> list = playlistOf(aroundTitle(title, address));
    QVERIFY(list != nullptr);
    constexpr qint32 TvEntry = 1;
    constexpr qint32 RadioEntry = 3;
    QCOMPARE(titleMatches(list->title(TvEntry), text), matches);

    const TitleSearch search(list);
    const QList<qint32> tv = found(search, text, false);
    const QList<qint32> radio = found(search, text, true);
    QCOMPARE(tv.contains(TvEntry), matches);
    QCOMPARE(radio.contains(RadioEntry), matches);
    QCOMPARE(tv, matching(*list, text, false));
    QCOMPARE(radio, matching(*list, text, true));
}

void TestSearch::folds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    for (const FoldRow &row : FoldRows)
        QTest::newRow(row.name) << row.text << row.folded;
}

void TestSearch::folds() {
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(foldForSearch(text), folded);
    QCOMPARE(foldForSearch(folded), folded);
}

void TestSearch::keepsTunersApartInPlaylistOrder() {
    // Groups first appear in another order than their entries, and one entry is in two groups.
    const std::shared_ptr<const Playlist> list = playlistOf({
        {u"Sport News"_qs, u"http://a/0"_qs, false, u"Sport"_qs},
        {u"News One"_qs, u"http://a/1"_qs, false, u"News"_qs},
        {u"News Radio"_qs, u"http://a/2"_qs, true, u"News"_qs},
        {u"Late News"_qs, u"http://a/3"_qs, false, u"News;Sport"_qs},
        {u"News FM"_qs, u"http://a/4"_qs, true},
        {u"Weather"_qs, u"http://a/5"_qs, false, u"News"_qs},
        {u"NEWS 24"_qs, u"http://a/6"_qs},
        {u"Nouvelles Radio"_qs, u"http://a/7"_qs, true, u"Sport"_qs},
    });
    QVERIFY(list != nullptr);
    const TitleSearch search(list);
    QCOMPARE(found(search, u"news", false), (QList<qint32>{0, 1, 3, 6}));
    QCOMPARE(found(search, u"news", true), (QList<qint32>{2, 4}));
    QCOMPARE(found(search, u"radio", true), (QList<qint32>{2, 7}));
    QCOMPARE(found(search, u"radio", false), QList<qint32>{});
    QCOMPARE(found(search, u"Weather", false), QList<qint32>{5});
    QCOMPARE(found(search, u"e", false), (QList<qint32>{0, 1, 3, 5, 6}));
}

void TestSearch::largeListAgreesWithMatcher() {
    const std::shared_ptr<const Playlist> list = playlistOf(mixedEntries(3000));
    QVERIFY(list != nullptr);
    const TitleSearch search(list);
    const QString texts[] = {u"e"_qs,      u"É"_qs,   u"1"_qs,  u"12"_qs,       u"канал 2"_qs,
                             u"電視"_qs,   u"fi"_qs,  u"hd"_qs, u"(720P) 9"_qs, u"s3.example"_qs,
                             u"live/4"_qs, u"zzz"_qs, QString()};
    for (const QString &text : texts) {
        for (const bool radio : {false, true}) {
            QCOMPARE(found(search, text, radio), matching(*list, text, radio));
        }
    }
}

void TestSearch::endsWhileIndexing() {
    const std::shared_ptr<const Playlist> list = playlistOf(mixedEntries(50'000));
    QVERIFY(list != nullptr);
    { const TitleSearch dropped(list); }
    const TitleSearch search(list);
    QCOMPARE(found(search, u"канал 4999", false), matching(*list, u"канал 4999", false));
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
