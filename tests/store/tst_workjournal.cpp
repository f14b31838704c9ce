#include "store/diaryfolder.h"
#include "store/diarymonth.h"
#include "store/workjournal.h"
#include "storefixtures.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The journal as it follows the loaded month, with no window: a state folder and a diary folder of
// the test's own, and the month edited through its public face.
class TestWorkJournal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void follows_unsavedState_data();
    void follows_unsavedState();
    void restoredWork_isKeptUntilSaved();
    void unwritableStateFolder_failsOnce();

private:
    QStringList Journals() const
    {
        return QDir(m_state.filePath(QStringLiteral("noterra"))).entryList({ QStringLiteral("*.journal") });
    }
    // Lets the journal follow what the handling under way did, then waits for the disk.
    static void Settle(WorkJournal &journal)
    {
        QTest::qWait(0);
        journal.Flush();
    }
    static void Edit(DiaryMonth &month, const QString &text)
    {
        month.SelectDay(3);
        QVERIFY(month.SetEntryText(month.AppendEntry(Fixtures::FakeCalendar(3)), text));
    }

    QTemporaryDir m_state;
    std::unique_ptr<QTemporaryDir> m_diary;
};

void TestWorkJournal::init()
{
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state.path()));
    QDir(m_state.filePath(QStringLiteral("noterra"))).removeRecursively();
    QFile::remove(m_state.filePath(QStringLiteral("noterra")));
    m_diary = std::make_unique<QTemporaryDir>();
}

void TestWorkJournal::follows_unsavedState_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("journaled");
    QTest::newRow("nothing changed") << QStringList() << false;
    QTest::newRow("edited") << QStringList({ "edit" }) << true;
    QTest::newRow("saved") << QStringList({ "edit", "save" }) << false;
    QTest::newRow("edited after a save") << QStringList({ "edit", "save", "edit again" }) << true;
    QTest::newRow("dropped") << QStringList({ "edit", "drop" }) << false;
    QTest::newRow("dropped work followed again") << QStringList({ "edit", "drop", "now" }) << false;
    QTest::newRow("dropped, then typing again") << QStringList({ "edit", "drop", "type", "now" }) << true;
    QTest::newRow("dropped, then edited again") << QStringList({ "edit", "drop", "edit again" }) << true;
    QTest::newRow("another month loaded") << QStringList({ "edit", "load April" }) << false;
}

void TestWorkJournal::follows_unsavedState()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, journaled);
    DiaryMonth month { DiaryFolder(m_diary->path()) };
    month.Load(QStringLiteral("2001"), QStringLiteral("3"));
    ShownWork shown;
    WorkJournal journal(month, [&shown] { return shown; });
    for (const QString &step : steps) {
        if (step == "edit" || step == "edit again")
            Edit(month, step);
        else if (step == "save")
            month.Save();
        else if (step == "drop")
            journal.Dropped();
        else if (step == "type")
            shown = ShownWork { 3, 0, QStringLiteral("typed, not yet written back") };
        else if (step == "now")
            journal.Now();
        else if (step == "load April")
            month.Load(QStringLiteral("2001"), QStringLiteral("4"));
        else
            QFAIL(qPrintable("unknown step " + step));
        Settle(journal);
    }
    QCOMPARE(Journals().size(), journaled ? 1 : 0);
}

void TestWorkJournal::restoredWork_isKeptUntilSaved()
{
    const DiaryFolder folder(m_diary->path());
    {
        DiaryMonth month(folder);
        month.Load(QStringLiteral("2001"), QStringLiteral("3"));
        WorkJournal journal(month, [] { return ShownWork(); });
        Edit(month, QStringLiteral("kept"));
        Settle(journal);
    }
    DiaryMonth month(folder);
    WorkJournal journal(month, [] { return ShownWork(); });
    const JournalPlace::Found found = journal.Find();
    QVERIFY(found.content);
    month.Restore(*found.content);
    journal.Adopt(found.path);
    Settle(journal);
    QCOMPARE(Journals().size(), 1);
    QCOMPARE(month.Month(), QStringLiteral("3"));
    QCOMPARE(month.Rows().back().title, QStringLiteral("kept"));
    month.Save();
    Settle(journal);
    QCOMPARE(Journals(), QStringList());
}

void TestWorkJournal::unwritableStateFolder_failsOnce()
{
    QVERIFY(Fixtures::WriteFile(m_state.filePath(QStringLiteral("noterra")), "not a folder"));
    DiaryMonth month { DiaryFolder(m_diary->path()) };
    month.Load(QStringLiteral("2001"), QStringLiteral("3"));
    WorkJournal journal(month, [] { return ShownWork(); });
    QSignalSpy failed(&journal, &WorkJournal::Failed);
    Edit(month, QStringLiteral("one"));
    Settle(journal);
    QTRY_COMPARE(failed.size(), 1);
    Edit(month, QStringLiteral("two"));
    Settle(journal);
    QTest::qWait(20);
    QCOMPARE(failed.size(), 1);
}

QTEST_GUILESS_MAIN(TestWorkJournal)
#include "tst_workjournal.moc"
