#include "search/diarysearch.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

// Which files of a diary's folder a search reads, and in which state: July 2024 is first found
// with "alpha", then something happens to its file (or the window holds the month) and "omega" is
// looked for.
class TestDiarySearch : public QObject
{
    Q_OBJECT

private slots:
    void secondSearch_readsMonthsAsTheyAreNow_data();
    void secondSearch_readsMonthsAsTheyAreNow();
};

namespace {

const QByteArray Alpha = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><DIARY><ARTICLE DATE=\"7\"><TEXT>alpha</TEXT>"
                         "</ARTICLE></DIARY>";
const QByteArray Omega = QByteArray(Alpha).replace("alpha", "omega");

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

SearchBatch SearchToEnd(DiarySearch &search, const QString &typed, std::optional<ShownMonth> shown = std::nullopt)
{
    SearchBatch all;
    QObject context;
    QObject::connect(&search, &DiarySearch::Delivered, &context, [&all](const SearchBatch &batch) {
        all.hits.insert(all.hits.end(), batch.hits.begin(), batch.hits.end());
        all.unreadable = batch.unreadable;
        all.finished = batch.finished;
    });
    search.Start(typed, std::move(shown));
    if (!QTest::qWaitFor([&all] { return all.finished; }))
        qWarning("the search did not finish");
    return all;
}

}

void TestDiarySearch::secondSearch_readsMonthsAsTheyAreNow_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("found");
    QTest::addColumn<QStringList>("unreadable");
    QTest::newRow("rewritten in place, size and time kept") << "in place" << 1 << QStringList();
    QTest::newRow("renamed over") << "renamed" << 1 << QStringList();
    QTest::newRow("moved aside as .bak") << "Diary20247.xml.bak" << 0 << QStringList();
    QTest::newRow("sync tool's conflict copy") << "Diary20247.sync-conflict-x.xml" << 0 << QStringList();
    QTest::newRow("month with a leading zero") << "Diary202407.xml" << 0 << QStringList();
    QTest::newRow("no longer a month") << "unreadable" << 0 << QStringList { QStringLiteral(u"2024年7月") };
    QTest::newRow("window holds the month") << "shown" << 1 << QStringList();
}

void TestDiarySearch::secondSearch_readsMonthsAsTheyAreNow()
{
    QFETCH(QString, change);
    QTemporaryDir folder;
    const QString month = folder.filePath(QStringLiteral("Diary20247.xml"));
    Write(month, Alpha);
    DiarySearch search(folder.path());
    QCOMPARE(SearchToEnd(search, QStringLiteral("ALPHA")).hits.size(), size_t(1));

    std::optional<ShownMonth> shown;
    if (change == u"in place") {
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(month).constData(), &before), 0);
        Write(month, Omega);
        const struct timespec times[2] = { before.st_atim, before.st_mtim };
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(month).constData(), times, 0), 0);
    } else if (change == u"renamed") {
        Write(month + QStringLiteral(".new"), Omega);
        QCOMPARE(::rename(QFile::encodeName(month + QStringLiteral(".new")).constData(),
                     QFile::encodeName(month).constData()),
            0);
    } else if (change == u"unreadable") {
        Write(month, "<DIARY><ARTICLE DATE=\"7\"><TEXT>omega");
    } else if (change == u"shown") {
        shown = ShownMonth { 2024, 7, { { QStringLiteral("7"), 7, 0, QStringLiteral("omega") } } };
    } else {
        QVERIFY(QFile::rename(month, folder.filePath(change)));
        Write(folder.filePath(change), Omega);
    }
    const SearchBatch second = SearchToEnd(search, QStringLiteral(u"ｏｍｅｇａ"), shown);
    QTEST(int(second.hits.size()), "found");
    QTEST(second.unreadable, "unreadable");
}

QTEST_GUILESS_MAIN(TestDiarySearch)
#include "tst_diarysearch.moc"
