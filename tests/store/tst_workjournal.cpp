#include "queuedevents.h"
#include "smalldisk.h"
#include "store/folder/diaryfolder.h"
#include "store/journal/workjournal.h"
#include "store/month/diarymonth.h"
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
    void idFileChanged_workStillComesBack_data();
    void idFileChanged_workStillComesBack();
    void copyOfTheFolder_isToldWhereTheWorkWasWritten();
    void lastWriteFailed_keepsThePreviousAndIsToldOnce();

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

    // Unsaved work in March 2001, a month without a file, left by a program that then crashed.
    void Crash(const DiaryFolder &folder, const QString &text)
    {
        DiaryMonth month(folder);
        month.Load(QStringLiteral("2001"), QStringLiteral("3"));
        WorkJournal journal(month);
        Edit(month, text);
        Settle(journal);
    }
    QString IdFile() const { return m_diary->filePath(QStringLiteral(".noterra.id")); }

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
    WorkJournal journal(month);
    for (const QString &step : steps) {
        if (step == "edit" || step == "edit again")
            Edit(month, step);
        else if (step == "save")
            month.Save();
        else if (step == "drop")
            journal.Dropped();
        else if (step == "type")
            month.Show(OnScreen { 3, 0, QStringLiteral("typed, not yet written back") });
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
        WorkJournal journal(month);
        Edit(month, QStringLiteral("kept"));
        Settle(journal);
    }
    DiaryMonth month(folder);
    WorkJournal journal(month);
    const JournalPlace::Found found = journal.Find();
    QVERIFY(found.content);
    month.Restore(*found.content);
    journal.Adopt(found.path);
    Settle(journal);
    QCOMPARE(Journals().size(), 1);
    QCOMPARE(month.Month(), QStringLiteral("3"));
    QCOMPARE(month.Rows().back().text, QStringLiteral("kept"));
    month.Save();
    Settle(journal);
    QCOMPARE(Journals(), QStringList());
}

void TestWorkJournal::unwritableStateFolder_failsOnce()
{
    QVERIFY(Fixtures::WriteFile(m_state.filePath(QStringLiteral("noterra")), "not a folder"));
    DiaryMonth month { DiaryFolder(m_diary->path()) };
    month.Load(QStringLiteral("2001"), QStringLiteral("3"));
    WorkJournal journal(month);
    QSignalSpy failed(&journal, &WorkJournal::Failed);
    Edit(month, QStringLiteral("one"));
    Settle(journal);
    QTRY_COMPARE(failed.size(), 1);
    Edit(month, QStringLiteral("two"));
    Settle(journal);
    QVERIFY(QueuedEventsHandled());
    QCOMPARE(failed.size(), 1);
}

// What a sync tool, an editor or the user left at .noterra.id by the next start ("-" deleted), with a
// sync tool's copy of it holding the id made first; or what stood there from the first journal on.
void TestWorkJournal::idFileChanged_workStillComesBack_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("copy");
    const QByteArray other = "ffffffffffffffffffffffffffffffff\n";
    QTest::newRow("deleted") << QByteArray("-") << "";
    QTest::newRow("another computer's id") << other << "";
    QTest::newRow("saved again with a byte order mark") << QByteArray("\xEF\xBB\xBF{id}") << "";
    QTest::newRow("saved again with CRLF, in capitals") << QByteArray("{ID}\r\n") << "";
    QTest::newRow("holds no id") << QByteArray("not an id\n") << "";
    QTest::newRow("a link, not read") << QByteArray("link") << "";
    QTest::newRow("ours in a Syncthing copy") << other << ".noterra.sync-conflict-20261208-101010-ABC.id";
    QTest::newRow("a folder from the start") << QByteArray("folder") << "";
    QTest::newRow("the disk full from the start") << QByteArray("full") << "";
}

void TestWorkJournal::idFileChanged_workStillComesBack()
{
    QFETCH(QByteArray, state);
    QFETCH(QString, copy);
    std::optional<SmallDisk> disk;
    if (state == "full" && !disk.emplace(m_diary->path(), SmallDisk::Page * 4).mounted())
        QSKIP(qPrintable("no small disk of the test's own: " + disk->error()));
    QVERIFY((state != "full" || disk->LeaveFree(0)) && (state != "folder" || QDir().mkdir(IdFile())));
    const DiaryFolder folder(m_diary->path());
    Crash(folder, QStringLiteral("kept"));
    const QByteArray id = Fixtures::ReadFile(IdFile()).trimmed();
    QVERIFY(copy.isEmpty() || Fixtures::WriteFile(m_diary->filePath(copy), id));
    QVERIFY(id.isEmpty() || QFile::remove(IdFile()));
    if (state == "link")
        QVERIFY(Fixtures::WriteFile(m_state.filePath("x.id"), id) && QFile::link(m_state.filePath("x.id"), IdFile()));
    else if (!id.isEmpty() && state != "-")
        QVERIFY(Fixtures::WriteFile(IdFile(), state.replace("{id}", id).replace("{ID}", id.toUpper())));
    const QByteArray left = Fixtures::ReadFile(IdFile());
    DiaryMonth month(folder);
    WorkJournal journal(month);
    const JournalPlace::Found found = journal.Find();
    QVERIFY2(found.content && found.notices.isEmpty(), qPrintable(found.notices.join(u'\n')));
    month.Restore(*found.content);
    journal.Adopt(found.path);
    Edit(month, QStringLiteral("more"));
    Settle(journal);
    QVERIFY(month.Rows().front().text == "kept" && Journals().size() == 1);
    // The program never rewrites or removes an id file it did not just make.
    QVERIFY(
        (state == "-" || Fixtures::ReadFile(IdFile()) == left) && QFileInfo(IdFile()).isDir() == (state == "folder"));
    QVERIFY(copy.isEmpty() || Fixtures::ReadFile(m_diary->filePath(copy)) == id);
}

// A copy (cp -a) has the same id: it names the original's work once, and takes it once that is gone.
void TestWorkJournal::copyOfTheFolder_isToldWhereTheWorkWasWritten()
{
    QTemporaryDir copyDir;
    Crash(DiaryFolder(m_diary->path()), QStringLiteral("original"));
    QVERIFY(QFile::copy(IdFile(), copyDir.filePath(QStringLiteral(".noterra.id"))));
    DiaryMonth month { DiaryFolder(copyDir.path()) };
    WorkJournal journal(month);
    const QString notice = journal.Find().notices.join(u'\n');
    QVERIFY2(notice.contains(m_diary->path()) && notice.contains(Journals().front()), qPrintable(notice));
    QVERIFY(journal.Find().notices.isEmpty() && m_diary->remove() && journal.Find().writtenFor == m_diary->path());
}

// The write as the program ends fails: the journal before it comes back, with a notice once.
void TestWorkJournal::lastWriteFailed_keepsThePreviousAndIsToldOnce()
{
    const DiaryFolder folder(m_diary->path());
    Crash(folder, QStringLiteral("first"));
    DiaryMonth month(folder);
    WorkJournal journal(month);
    month.Restore(*journal.Find().content);
    // Something in the way of the temporary file that the journal's write replaces.
    const QString blocker = m_state.filePath(QStringLiteral("noterra/") + Journals().front() + ".tmp");
    QVERIFY(QDir().mkpath(blocker + "/x"));
    Edit(month, QStringLiteral("second"));
    Settle(journal);
    QVERIFY(QDir(blocker).removeRecursively());
    JournalPlace::Found found = journal.Find();
    QVERIFY2(
        found.notices.size() == 1 && found.notices.front().contains(u"最後の"), qPrintable(found.notices.join(u'\n')));
    month.Restore(*found.content);
    QVERIFY(month.Rows().back().text == "first" && journal.Find().notices.isEmpty());
}

QTEST_GUILESS_MAIN(TestWorkJournal)
#include "tst_workjournal.moc"
