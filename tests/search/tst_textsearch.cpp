#include "search/matchplaces.h"
#include "search/monthindex.h"
#include "search/resultline.h"
#include "search/searchquery.h"

#include <QtTest>

// How typed words find Japanese entries: the entries of one day, in stored form, the entries found
// through the month's scan, and where the first word found stands in the first entry found, as the
// editor shows it.
class TestTextSearch : public QObject
{
    Q_OBJECT

private slots:
    void search_findsEntriesAndFirstPlace_data();
    void search_findsEntriesAndFirstPlace();
    void date_narrowsResults_data();
    void date_narrowsResults();
    void resultLine_cutsOnlyBetweenWholeCharacters_data();
    void resultLine_cutsOnlyBetweenWholeCharacters();
};

void TestTextSearch::search_findsEntriesAndFirstPlace_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("found");
    QTest::addColumn<int>("begin");
    QTest::addColumn<int>("length");
    const auto one = [](const char16_t *text) { return QStringList { QString::fromUtf16(text) }; };
    const QList<int> first { 0 };
    QTest::newRow("full-width letters by ASCII") << one(u"日記ＡＢＣ") << QStringLiteral("abc") << first << 2 << 3;
    QTest::newRow("ASCII by full-width") << one(u"xABCx") << QStringLiteral(u"ａｂｃ") << first << 1 << 3;
    QTest::newRow("full-width digits") << one(u"１２時に") << QStringLiteral("12") << first << 0 << 2;
    QTest::newRow("case") << one(u"in Tokyo") << QStringLiteral("TOKYO") << first << 3 << 5;
    QTest::newRow("half-width katakana") << one(u"ｶﾀｶﾅ") << QStringLiteral(u"カタカナ") << first << 0 << 4;
    QTest::newRow("half-width voiced mark joins") << one(u"ｶﾞｯｺｳ") << QStringLiteral(u"ガッコウ") << first << 0 << 5;
    QTest::newRow("half-width semi-voiced mark joins") << one(u"ﾊﾟﾝ") << QStringLiteral(u"パン") << first << 0 << 3;
    QTest::newRow("half-width query") << one(u"ガイド") << QStringLiteral(u"ｶﾞｲﾄﾞ") << first << 0 << 3;
    QTest::newRow("combining voiced mark") << one(u"か\u3099き") << QStringLiteral(u"がき") << first << 0 << 3;
    QTest::newRow("hiragana finds katakana") << one(u"昼はラーメン") << QStringLiteral(u"らーめん") << first << 2 << 4;
    QTest::newRow("katakana finds hiragana") << one(u"ひらがな") << QStringLiteral(u"ヒラガナ") << first << 0 << 4;
    QTest::newRow("wave dash and tilde") << one(u"10〜12時") << QStringLiteral("10~12") << first << 0 << 5;
    QTest::newRow("phrase across a line break")
        << one(u"東京\\nタワー") << QStringLiteral(u"東京タワー") << first << 0 << 6;
    QTest::newRow("line breaks before the place")
        << one(u"一行目\\n二行目の雨") << QStringLiteral(u"雨") << first << 8 << 1;
    QTest::newRow("backslash without n is text") << one(u"C:\\dir") << QStringLiteral("c:\\DIR") << first << 0 << 6;
    QTest::newRow("voiced mark after a line break stays")
        << one(u"か\\n\u3099") << QStringLiteral(u"が") << QList<int>() << 0 << 0;
    QTest::newRow("kanji variant 髙") << one(u"昨日髙橋さん") << QStringLiteral(u"高橋") << first << 2 << 2;
    QTest::newRow("kanji variant in the query") << one(u"高橋さん") << QStringLiteral(u"髙橋") << first << 0 << 2;
    QTest::newRow("kanji variant 﨑") << one(u"山﨑さん") << QStringLiteral(u"山崎") << first << 0 << 2;
    QTest::newRow("kanji variant 邊") << one(u"渡邊") << QStringLiteral(u"渡辺") << first << 0 << 2;
    QTest::newRow("kanji variant 濱, not 瀕") << one(u"瀕死 濱田") << QStringLiteral(u"浜田") << first << 3 << 2;
    QTest::newRow("kanji variant beyond the BMP") << one(u"𠮷野家で") << QStringLiteral(u"吉野家") << first << 0 << 4;
    QTest::newRow("ヶ between kanji") << one(u"自由ヶ丘駅") << QStringLiteral(u"自由が丘") << first << 0 << 4;
    QTest::newRow("kana iteration mark") << one(u"いすゞの車") << QStringLiteral(u"いすず") << first << 0 << 3;
    QTest::newRow("kanji iteration mark") << one(u"街の人々") << QStringLiteral(u"人人") << first << 2 << 2;
    QTest::newRow("iteration mark after a kanji beyond the BMP")
        << one(u"𩸽々") << QStringLiteral(u"𩸽𩸽") << first << 0 << 3;
    QTest::newRow("circled digit") << one(u"①番線") << QStringLiteral(u"1番") << first << 0 << 2;
    QTest::newRow("parenthesized ideograph") << one(u"㈱山田") << QStringLiteral(u"(株)") << first << 0 << 1;
    QTest::newRow("square word") << one(u"5㍉") << QStringLiteral(u"ミリ") << first << 1 << 1;
    QTest::newRow("zero-width space inside") << one(u"東\u200B京") << QStringLiteral(u"東京") << first << 0 << 3;
    QTest::newRow("two words in any order")
        << one(u"公園で犬と散歩") << QStringLiteral(u"散歩 公園") << first << 0 << 2;
    QTest::newRow("full-width space parts words")
        << one(u"公園で犬と散歩") << QStringLiteral(u"散歩\u3000犬") << first << 3 << 1;
    QTest::newRow("quoted phrase keeps its space")
        << QStringList { QStringLiteral(u"タワーと東京"), QStringLiteral(u"東京\u3000タワー") }
        << QStringLiteral(u"\"東京 タワー\"") << QList<int> { 1 } << 0 << 6;
    QTest::newRow("phrase in 「」 folds widths")
        << one(u"ｶﾌｪ ﾗﾃ") << QStringLiteral(u"「カフェ ラテ」") << first << 0 << 6;
    QTest::newRow("phrase in “”") << QStringList { QStringLiteral(u"ラテとカフェ"), QStringLiteral(u"カフェ ラテ") }
                                  << QStringLiteral(u"“カフェ ラテ”") << QList<int> { 1 } << 0 << 6;
    QTest::newRow("unclosed quote is text") << QStringList { QStringLiteral(u"東京"), QStringLiteral(u"\"東京") }
                                            << QStringLiteral(u"\"東京") << QList<int> { 1 } << 0 << 3;
    QTest::newRow("quoted date is a word")
        << one(u"2024年3月の予定") << QStringLiteral(u"\"2024年3月\"") << first << 0 << 7;
    QTest::newRow("bracket inside a word is text")
        << one(u"彼は「はい」と") << QStringLiteral(u"彼は「はい」と") << first << 0 << 7;
    QTest::newRow("excluded word") << QStringList { QStringLiteral(u"雨と風"), QStringLiteral(u"雨") }
                                   << QStringLiteral(u"雨 -風") << QList<int> { 1 } << 0 << 1;
    QTest::newRow("full-width minus excludes") << QStringList { QStringLiteral(u"雨と風"), QStringLiteral(u"雨") }
                                               << QStringLiteral(u"雨　－風") << QList<int> { 1 } << 0 << 1;
    QTest::newRow("excluded phrase") << QStringList { QStringLiteral(u"雨 風"), QStringLiteral(u"雨と風") }
                                     << QStringLiteral(u"風 -\"雨 風\"") << QList<int> { 1 } << 2 << 1;
    QTest::newRow("exclusions alone find nothing") << one(u"雨") << QStringLiteral(u"-風") << QList<int>() << 0 << 0;
    QTest::newRow("minus alone is a word") << QStringList { QStringLiteral(u"12"), QStringLiteral(u"1 - 2") }
                                           << QStringLiteral(u"1 - 2") << QList<int> { 1 } << 0 << 1;
    QTest::newRow("one word missing") << one(u"公園で犬と散歩") << QStringLiteral(u"公園 猫") << QList<int>() << 0 << 0;
    QTest::newRow("spaces alone find nothing") << one(u"a b") << QStringLiteral(u" \u3000 ") << QList<int>() << 0 << 0;
    QTest::newRow("no phrase across two entries") << QStringList { QStringLiteral(u"あい"), QStringLiteral(u"うえ") }
                                                  << QStringLiteral(u"いう") << QList<int>() << 0 << 0;
    QTest::newRow("words in another entry each")
        << QStringList { QStringLiteral(u"犬"), QStringLiteral(u"猫"), QStringLiteral(u"猫と犬") }
        << QStringLiteral(u"犬 猫") << QList<int> { 2 } << 0 << 1;
    QTest::newRow("every entry that has it")
        << QStringList { QStringLiteral(u"雨"), QStringLiteral(u"晴れ"), QStringLiteral(u"大雨") }
        << QStringLiteral(u"雨") << QList<int> { 0, 2 } << 0 << 1;
    QTest::newRow("a word twice in one entry finds it once")
        << QStringList { QStringLiteral(u"雨のち雨"), QStringLiteral(u"晴れ") } << QStringLiteral(u"雨")
        << QList<int> { 0 } << 0 << 1;
}

void TestTextSearch::search_findsEntriesAndFirstPlace()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, typed);
    QFETCH(QList<int>, found);
    std::vector<MonthRow> rows;
    for (const QString &text : entries)
        rows.push_back({ QString(), 7, int(rows.size()), text });
    const MonthIndex month(2026, 12, {}, rows);
    const SearchQuery query(typed);
    std::vector<int> hits;
    month.Search(query, hits);
    QList<int> positions;
    for (const int hit : hits)
        positions.append(month.Position(hit));
    QCOMPARE(positions, found);
    if (found.isEmpty())
        return;
    const std::vector<MatchPlaces::Place> places = MatchPlaces::Of(month.Text(hits.front()), query);
    QVERIFY(!places.empty());
    QTEST(places.front().begin, "begin");
    QTEST(places.front().length, "length");
}

void TestTextSearch::date_narrowsResults_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    const auto days = [](const char *list) { return QString::fromLatin1(list).split(u' '); };
    QTest::newRow("year and month") << QStringLiteral(u"2024年3月 雨") << days("2024-3-6 2024-3-5");
    QTest::newRow("day") << QStringLiteral(u"雨 2024年3月5日") << days("2024-3-5");
    QTest::newRow("month and day of every year, alone") << QStringLiteral(u"3月5日") << days("2024-3-5 2023-3-5");
    QTest::newRow("slashes") << QStringLiteral(u"2024/3/6") << days("2024-3-6");
    QTest::newRow("full-width digits") << QStringLiteral(u"２０２４年３月５日") << days("2024-3-5");
    QTest::newRow("year alone") << QStringLiteral(u"2019年") << days("2019-5-1 2019-4-30");
    QTest::newRow("era") << QStringLiteral(u"平成31年4月30日") << days("2019-4-30");
    QTest::newRow("era, month") << QStringLiteral(u"令和6年3月") << days("2024-3-6 2024-3-5");
    QTest::newRow("first year of an era") << QStringLiteral(u"令和元年 雨") << days("2019-5-1");
    QTest::newRow("date alone, a word excluded") << QStringLiteral(u"2024年3月 -大雨") << days("2024-3-6");
    QTest::newRow("no such month is a word") << QStringLiteral(u"13月") << QStringList();
}

void TestTextSearch::date_narrowsResults()
{
    QFETCH(QString, typed);
    const SearchQuery query(typed);
    QStringList found;
    for (const auto &[year, month, day, text] : { std::tuple(2024, 3, 6, u"雨"), std::tuple(2024, 3, 5, u"大雨"),
             std::tuple(2023, 3, 5, u"晴れ"), std::tuple(2019, 5, 1, u"雨"), std::tuple(2019, 4, 30, u"雨") }) {
        const MonthIndex index(year, month, {}, { { QString(), day, 0, QString::fromUtf16(text) } });
        std::vector<int> hits;
        index.Search(query, hits);
        for (const int hit : hits)
            found.append(QStringLiteral("%1-%2-%3").arg(year).arg(month).arg(index.Day(hit)));
    }
    QTEST(found, "found");
}

void TestTextSearch::resultLine_cutsOnlyBetweenWholeCharacters_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QPoint>("mark");
    const QString kana = QStringLiteral(u"あ").repeated(11);
    QTest::newRow("begins inside a character outside the BMP")
        << QStringLiteral(u"い𠮷") + kana + QStringLiteral(u"雨")
        << QStringLiteral(u"…𠮷") + kana + QStringLiteral(u"雨") << QPoint(14, 1);
    QTest::newRow("ends inside a character outside the BMP")
        << QStringLiteral(u"雨") + kana.repeated(14) + QStringLiteral(u"ああああ𠮷")
        << QStringLiteral(u"雨") + kana.repeated(14) + QStringLiteral(u"ああああ") << QPoint(0, 1);
}

void TestTextSearch::resultLine_cutsOnlyBetweenWholeCharacters()
{
    QFETCH(QString, stored);
    const ResultLine::Line line = ResultLine::Around(stored, SearchQuery(QStringLiteral(u"雨")));
    QTEST(line.text, "line");
    QCOMPARE(line.marks.size(), 1);
    QTEST(line.marks.value(0), "mark");
}

QTEST_APPLESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
