#include "store/diaryfolder.h"
#include "store/diarymonth.h"
#include "storefixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Year = QStringLiteral("2001");
const QString March = QStringLiteral("3");

QByteArray Month(const QByteArray &articles)
{
    return Fixtures::Declaration("Shift_JIS") + "<DIARY>" + articles + "</DIARY>\n";
}

QByteArray Day(int day, const QByteArray &texts, const QByteArray &attributes = {})
{
    return "<ARTICLE DATE=\"" + QByteArray::number(day) + "\"" + attributes + ">" + texts + "</ARTICLE>";
}

const QByteArray Rain = Day(12, "<TEXT>rain</TEXT>");
const QByteArray Snow = Day(12, "<TEXT>snow</TEXT>");
const QByteArray Milk = Day(4, "<TEXT>a&amp;b</TEXT><TEXT>Milk</TEXT>");
const QByteArray Tea = Day(4, "<TEXT>a&amp;b</TEXT><TEXT>Tea</TEXT>");
const QByteArray Juice = Day(4, "<TEXT>a&amp;b</TEXT><TEXT>Juice</TEXT>");

}

// A month that another program changed on disk while this one had it open, saved through the
// window's own operations: what the file holds afterwards, and what is kept beside it.
class TestMonthMerge : public QObject
{
    Q_OBJECT

private slots:
    void saveMonth_changedElsewhere_mergedByDay_data();
    void saveMonth_changedElsewhere_mergedByDay();
};

void TestMonthMerge::saveMonth_changedElsewhere_mergedByDay_data()
{
    QTest::addColumn<QByteArray>("base");
    // "<day> set <position> <text>", "<day> add [<text>]", "<day> remove <position>": the window's edits.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("there");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QList<int>>("conflictDays");
    // What a file beside the month must hold: the other side's conflicting or unreadable version.
    QTest::addColumn<QByteArray>("keptBeside");
    const auto row = [](const char *name, const QByteArray &base, const QStringList &steps, const QByteArray &there,
                         const QByteArray &saved, const QList<int> &conflictDays = {}, const QByteArray &kept = {}) {
        QTest::newRow(name) << base << steps << there << saved << conflictDays << kept;
    };
    const QByteArray base = Month(Rain + Milk);
    const QStringList tea = { "4 set 1 Tea" };
    row("changed here only", base, tea, Month(Snow + Milk), Month(Snow + Tea));
    const QByteArray otherTool = "<?xml version='1.0' encoding='Shift_JIS'?>\r\n<DIARY>\r\n" + Snow + Milk + "</DIARY>";
    row("changed there only: not written", base, {}, otherTool, otherTool);
    row("changed there; here edited back and a blank entry added", base, { "4 set 1 Tea", "4 set 1 Milk", "4 add" },
        Month(Rain + Juice), Month(Rain + Juice));
    row("both the same", base, tea, Month(Snow + Tea), Month(Snow + Tea));
    row("both differently", base, tea, Month(Snow + Juice), Month(Snow + Tea), { 4 }, Month(Snow + Juice));
    const QByteArray park = Day(7, "<TEXT>Park</TEXT>");
    row("entries added and removed", base, { "4 remove 0", "20 add Walk" }, Month(park + Milk),
        Month(park + Day(4, "<TEXT>Milk</TEXT>") + Day(20, "<TEXT>Walk</TEXT>")));
    const QByteArray late = Day(4, "<TEXT>late</TEXT>");
    row("two ARTICLEs with one DATE", Month(Milk + Rain + late), tea, Month(Milk + Snow + late),
        Month(Tea + late + Snow));
    const QByteArray marked = "<!-- synced -->" + Day(12, "<TEXT>rain<B>hard</B></TEXT>", " mood=\"calm\"");
    const QByteArray parkMarked = Day(7, "<TEXT>Park</TEXT>", " by=\"phone\"");
    const QByteArray milkMarked = Day(4, "<TEXT>a&amp;b</TEXT><TEXT>Milk</TEXT><X/>", " by=\"pen\"");
    row("another tool's markup", Month(marked + milkMarked), tea, Month(marked + parkMarked + milkMarked),
        Month(marked + parkMarked + QByteArray(milkMarked).replace("Milk", "Tea")));
    // 雪 (snow) written there on the 12th, 晴れ (fine) here on the 4th, each in the file's encoding.
    const QStringList fine = { QStringLiteral(u"4 set 1 晴れ") };
    const QByteArray utf8 = Fixtures::Declaration("UTF-8") + Fixtures::Body("\xE9\x9B\xAA", "\xEF\xBD\xB1");
    const QByteArray utf8Saved = QByteArray(utf8).replace("Milk", "\xE6\x99\xB4\xE3\x82\x8C");
    row("re-encoded there as UTF-8", Fixtures::Cp932Month(), fine, utf8, utf8Saved);
    row("unreadable there", base, tea, "<DIARY><ARTICLE", Month(Rain + Tea), {}, "<DIARY><ARTICLE");
}

void TestMonthMerge::saveMonth_changedElsewhere_mergedByDay()
{
    QFETCH(QByteArray, base);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, there);
    QFETCH(QByteArray, saved);
    QFETCH(QList<int>, conflictDays);
    QFETCH(QByteArray, keptBeside);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const DiaryFolder folder(dir.path());
    const QString path = dir.filePath(QStringLiteral("Diary20013.xml"));
    QVERIFY(Fixtures::WriteFile(path, base));
    DiaryMonth month(folder);
    month.Load(Year, March);
    for (const QString &step : steps) {
        const QStringList part = step.split(u' ');
        month.SelectDay(part[0].toInt());
        if (part[1] == "add")
            QVERIFY(month.SetEntryText(month.AppendEntry(Fixtures::FakeCalendar(part[0].toInt())), part.value(2)));
        else if (part[1] == "set")
            QVERIFY(month.SetEntryText(part[2].toInt(), part[3]));
        else
            month.RemoveEntry(part[2].toInt());
    }
    // Written in place, as an editor does; the size may well stay the same.
    QVERIFY(Fixtures::WriteFile(path, there));

    const SaveOutcome outcome = month.Save();
    QCOMPARE(Fixtures::ReadFile(path), saved);
    QCOMPARE(QList<int>(outcome.conflictDays.begin(), outcome.conflictDays.end()), conflictDays);
    QCOMPARE(outcome.conflictPath.isEmpty(), conflictDays.isEmpty());
    QStringList beside = QDir(dir.path()).entryList(QDir::Files);
    beside.removeAll(QStringLiteral("Diary20013.xml"));
    beside.removeAll(QStringLiteral("Diary20013.xml.bak"));
    QCOMPARE(beside.size(), keptBeside.isEmpty() ? 0 : 1);
    if (!keptBeside.isEmpty())
        QCOMPARE(Fixtures::ReadFile(dir.filePath(beside.front())), keptBeside);
    // What was written is what the program holds: only an untouched month still differs from its file.
    QCOMPARE(month.ChangedOnDisk(), steps.isEmpty());
}

QTEST_GUILESS_MAIN(TestMonthMerge)
#include "tst_monthmerge.moc"
