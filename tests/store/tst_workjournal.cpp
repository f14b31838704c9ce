#include "smalldisk.h"
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
        WorkJournal journal(month, [] { return ShownWork(); });
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

// What stands at .noterra.id when the first journal is written (before) and what a sync tool, an
// editor or the user left there by the next start (after); the id file is the user's from then on.
void TestWorkJournal::idFileChanged_workStillComesBack_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("copy"); // a sync tool's copy of the id file that takes the id made first
    const QByteArray other = "ffffffffffffffffffffffffffffffff\n";
    QTest::newRow("deleted") << "" << QByteArray("-") << "";
    QTest::newRow("another computer's id") << "" << other << "";
    QTest::newRow("saved again with a byte order mark") << "" << QByteArray("\xEF\xBB\xBF{id}") << "";
    QTest::newRow("saved again with CRLF, in capitals") << "" << QByteArray("{ID}\r\n") << "";
    QTest::newRow("holds no id") << "" << QByteArray("not an id\n") << "";
    QTest::newRow("a link to another diary's id") << "" << QByteArray("link") << "";
    QTest::newRow("another id, ours in a Syncthing copy")
        << "" << other << ".noterra.sync-conflict-20261208-101010-ABCDEFG.id";
    QTest::newRow("another id, ours in a Dropbox copy")
        << "" << other << ".noterra (pc's conflicted copy 2026-12-08).id";
    QTest::newRow("a folder from the start") << "folder" << QByteArray() << "";
    QTest::newRow("the disk full from the start") << "full" << QByteArray() << "";
}

void TestWorkJournal::idFileChanged_workStillComesBack()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, copy);
    std::optional<SmallDisk> disk;
    if (before == "folder")
        QVERIFY(QDir().mkdir(IdFile()));
    if (before == "full") {
        disk.emplace(m_diary->path(), SmallDisk::Page * 4);
        if (!disk->mounted())
            QSKIP(qPrintable("no small disk of the test's own: " + disk->error()));
        QVERIFY(disk->LeaveFree(0));
    }
    const DiaryFolder folder(m_diary->path());
    Crash(folder, QStringLiteral("kept"));
    const QByteArray id = Fixtures::ReadFile(IdFile()).trimmed();
    if (!copy.isEmpty())
        QVERIFY(Fixtures::WriteFile(m_diary->filePath(copy), id + '\n'));
    if (!after.isEmpty())
        QFile::remove(IdFile());
    if (after == "link")
        QVERIFY(QFile::link(m_state.filePath(QStringLiteral("elsewhere.id")), IdFile())
            && Fixtures::WriteFile(m_state.filePath(QStringLiteral("elsewhere.id")), id));
    else if (after != "-" && !after.isEmpty())
        QVERIFY(Fixtures::WriteFile(IdFile(), QByteArray(after).replace("{id}", id).replace("{ID}", id.toUpper())));
    const QFileInfo stood(IdFile());
    const QByteArray left = Fixtures::ReadFile(IdFile());

    DiaryMonth month(folder);
    WorkJournal journal(month, [] { return ShownWork(); });
    const JournalPlace::Found found = journal.Find();
    QVERIFY2(found.content, qPrintable(found.notices.join(u'\n')));
    QCOMPARE(found.notices, QStringList());
    QCOMPARE(found.writtenFor, QString());
    month.Restore(*found.content);
    journal.Adopt(found.path);
    Edit(month, QStringLiteral("more"));
    Settle(journal);
    QCOMPARE(month.Rows().front().title, QStringLiteral("kept"));
    QCOMPARE(Journals().size(), 1);
    // The program never rewrites or removes an id file it did not just make.
    QCOMPARE(QFileInfo(IdFile()).exists() || QFileInfo(IdFile()).isSymLink(), stood.exists() || stood.isSymLink());
    QCOMPARE(QFileInfo(IdFile()).isDir(), stood.isDir());
    if (stood.exists() && !stood.isDir() && after != "-")
        QCOMPARE(Fixtures::ReadFile(IdFile()), left);
    if (!copy.isEmpty())
        QCOMPARE(Fixtures::ReadFile(m_diary->filePath(copy)), id + '\n');
}

// A copy of the diary (cp -a) has the same id: its work comes back there only once the original
// folder is gone, and then with the folder it was written in.
void TestWorkJournal::copyOfTheFolder_isToldWhereTheWorkWasWritten()
{
    QTemporaryDir copyDir;
    {
        const DiaryFolder original(m_diary->path());
        Crash(original, QStringLiteral("original"));
    }
    QVERIFY(QFile::copy(IdFile(), copyDir.filePath(QStringLiteral(".noterra.id"))));
    const DiaryFolder copy(copyDir.path());
    DiaryMonth month(copy);
    WorkJournal journal(month, [] { return ShownWork(); });
    JournalPlace::Found found = journal.Find();
    QVERIFY(!found.content);
    QCOMPARE(found.notices.size(), 1);
    QVERIFY2(found.notices.front().contains(m_diary->path()) && found.notices.front().contains(Journals().front()),
        qPrintable(found.notices.front()));
    QVERIFY(m_diary->remove());
    found = journal.Find();
    QVERIFY(found.content);
    QCOMPARE(found.writtenFor, m_diary->path());
}

// The write as the program ends fails: the journal before it comes back, and the next start says
// that the last moments may be missing, once.
void TestWorkJournal::lastWriteFailed_keepsThePreviousAndIsToldOnce()
{
    const DiaryFolder folder(m_diary->path());
    {
        DiaryMonth month(folder);
        month.Load(QStringLiteral("2001"), QStringLiteral("3"));
        WorkJournal journal(month, [] { return ShownWork(); });
        Edit(month, QStringLiteral("first"));
        Settle(journal);
        QCOMPARE(Journals().size(), 1);
        // Something in the way of the temporary file that the journal's write replaces.
        const QString path = m_state.filePath(QStringLiteral("noterra/") + Journals().front());
        QVERIFY(QDir().mkpath(path + QStringLiteral(".tmp/in the way")));
        Edit(month, QStringLiteral("second"));
        QTest::qWait(0);
        journal.Flush();
        QVERIFY(QDir(path + QStringLiteral(".tmp")).removeRecursively());
    }
    DiaryMonth month(folder);
    WorkJournal journal(month, [] { return ShownWork(); });
    JournalPlace::Found found = journal.Find();
    QVERIFY(found.content);
    month.Restore(*found.content);
    QCOMPARE(month.Rows().back().title, QStringLiteral("first"));
    QCOMPARE(found.notices.size(), 1);
    QVERIFY2(found.notices.front().contains(u"最後の"), qPrintable(found.notices.front()));
    QCOMPARE(journal.Find().notices, QStringList());
}

QTEST_GUILESS_MAIN(TestWorkJournal)
#include "tst_workjournal.moc"
