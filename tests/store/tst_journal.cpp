#include "queuedevents.h"
#include "store/folder/runtimelock.h"
#include "store/journal/journalwriter.h"
#include "store/journalfiles/journalfile.h"
#include "store/journalfiles/journalformat.h"

#include "usermessages/storeerror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

namespace {

JournalContent FullContent()
{
    // Shift_JIS bytes, a half-width katakana and a NUL: the month is kept as bytes, never as text.
    const QByteArray month = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<DIARY><ARTICLE DATE=\"15\"><TEXT>"
                             "\x93\xFA\x8B\x4C\xB1</TEXT></ARTICLE></DIARY>\n";
    return JournalContent { QStringLiteral("2026"), QStringLiteral("3"), 15, month + QByteArray(1, '\0'), true,
        QByteArray("<DIARY/>\n"), { 3, 15, 31 }, 2, QStringLiteral(u"今日は晴れ。\r\n散歩 🌸"),
        "0123456789abcdef0123456789abcdef", "/media/\x93\xFA\x8B\x4C/STICK1", "803-1a2b" };
}

mode_t ModeOf(const QString &path)
{
    struct stat info
    {
    };
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : mode_t(-1);
}

}

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_givesTheSameContent_data();
    void roundTrip_givesTheSameContent();
    void decode_damagedJournal_isNeverApplied();
    void stateFolder_comesFromTheEnvironment_data();
    void stateFolder_comesFromTheEnvironment();
    void read_damagedJournal_isKeptAside();
    void writer_writesPrivateFileAndRemoves();
    void writer_failure_isReportedOncePerRun();
    void somethingInTheWay_neitherHoldsNorIsFollowed_data();
    void somethingInTheWay_neitherHoldsNorIsFollowed();
    void runtimeFolderTakenByAnotherAccount_locksStillHold();

private:
    QTemporaryDir m_scratch;
};

void TestJournal::roundTrip_givesTheSameContent_data()
{
    QTest::addColumn<JournalContent>("content");
    QTest::newRow("Japanese text, Shift_JIS month, open entry") << FullContent();
    QTest::newRow("nothing at all") << JournalContent();
    JournalContent newMonth = FullContent();
    newMonth.baseExists = false;
    newMonth.baseBytes.clear();
    newMonth.openEntry = -1;
    newMonth.editorText.clear();
    QTest::newRow("month without a file, no entry open") << newMonth;
}

void TestJournal::roundTrip_givesTheSameContent()
{
    QFETCH(JournalContent, content);
    QString reason;
    const std::optional<JournalContent> decoded = JournalFormat::Decode(JournalFormat::Encode(content), &reason);
    QVERIFY2(decoded, qPrintable(reason));
    QVERIFY(*decoded == content);
}

void TestJournal::decode_damagedJournal_isNeverApplied()
{
    const QByteArray whole = JournalFormat::Encode(FullContent());
    QString reason;
    for (qsizetype length = 0; length < whole.size(); ++length) {
        QVERIFY2(!JournalFormat::Decode(whole.first(length), &reason), qPrintable(QString::number(length)));
        QVERIFY(!reason.isEmpty());
    }
    for (qsizetype at = 0; at < whole.size(); ++at) {
        QByteArray changed = whole;
        changed[at] = char(changed[at] ^ 0x20);
        QVERIFY2(!JournalFormat::Decode(changed, &reason), qPrintable(QString::number(at)));
    }
    QVERIFY(!JournalFormat::Decode(whole + "\n", &reason));
    QVERIFY(!JournalFormat::Decode(whole + whole, &reason));
    const auto signedAgain = [](QByteArray body) {
        return body + "sha256=" + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
    };
    // Another version with a digest that matches: only the version line can refuse it.
    const QByteArray other = signedAgain(whole.chopped(72).replace("NOTERRA-JOURNAL 3\n", "NOTERRA-JOURNAL 4\n"));
    QVERIFY(!JournalFormat::Decode(other, &reason));
    QVERIFY2(reason.contains(u"形式"), qPrintable(reason));
    // The first version, as the program before left it, knew nothing of the diary and still reads.
    JournalContent first = FullContent();
    first.diaryId.clear();
    first.folderPath.clear();
    first.folderIdentity.clear();
    const QByteArray firstVersion = signedAgain(JournalFormat::Encode(first)
                                                    .chopped(72)
                                                    .replace("NOTERRA-JOURNAL 3\n", "NOTERRA-JOURNAL 1\n")
                                                    .replace("diary=\nidentity=\n", "")
                                                    .replace("folder=0\n", ""));
    QVERIFY(JournalFormat::Decode(firstVersion, &reason) == first);
}

// Rows name an environment variable's value, or "-" to have it unset.
void TestJournal::stateFolder_comesFromTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("usable");
    const QString account = QFile::decodeName(getpwuid(getuid())->pw_dir);
    QTest::newRow("XDG_STATE_HOME") << QByteArray("/h") << QByteArray("/state") << "/state/noterra" << true;
    QTest::newRow("relative XDG_STATE_HOME is ignored")
        << QByteArray("/h") << QByteArray("rel") << "/h/.local/state/noterra" << true;
    QTest::newRow("no HOME: the account's home")
        << QByteArray("-") << QByteArray("-") << account + "/.local/state/noterra" << true;
    const QString file = m_scratch.filePath(QStringLiteral("file"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    QTest::newRow("XDG_STATE_HOME names a file")
        << QByteArray("/h") << QFile::encodeName(file) << file + "/noterra" << false;
    const QString linked = m_scratch.filePath(QStringLiteral("linked"));
    QVERIFY(QDir().mkpath(linked) && QFile::link(m_scratch.path(), linked + "/noterra"));
    QTest::newRow("a link as the folder")
        << QByteArray("/h") << QFile::encodeName(linked) << linked + "/noterra" << false;
}

void TestJournal::stateFolder_comesFromTheEnvironment()
{
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, state);
    QFETCH(QString, folder);
    QFETCH(bool, usable);
    const QByteArray savedHome = qgetenv("HOME"), savedState = qgetenv("XDG_STATE_HOME");
    const auto set = [](const char *name, const QByteArray &value) {
        return value == "-" ? qunsetenv(name) : qputenv(name, value);
    };
    set("HOME", home);
    set("XDG_STATE_HOME", state);
    const QString path = JournalFile::PathFor("/home/a/diary");
    const QString problem = JournalFile::FolderProblem();
    QCOMPARE_NE(path, JournalFile::PathFor("/home/a/diary2"));
    QCOMPARE_NE(path, JournalFile::PathFor("0123456789abcdef0123456789abcdef", "/home/a/diary"));
    qputenv("HOME", savedHome);
    set("XDG_STATE_HOME", savedState.isNull() ? "-" : savedState);
    QVERIFY2(path.startsWith(folder + u'/') && path.endsWith(QStringLiteral(".journal")), qPrintable(path));
    QVERIFY2(problem.isEmpty() == usable && (usable || problem.contains(folder)), qPrintable(problem));
}

void TestJournal::read_damagedJournal_isKeptAside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.journal"));
    QVERIFY(!JournalFile::Read(path).content && JournalFile::Read(path).keptAsidePath.isEmpty());
    const QByteArray damaged = JournalFormat::Encode(FullContent()).chopped(1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
    file.close();
    const JournalFile::Found found = JournalFile::Read(path);
    QVERIFY(!found.content && !found.reason.isEmpty() && !QFile::exists(path));
    QVERIFY2(found.keptAsidePath.startsWith(path + QStringLiteral(".damaged-")), qPrintable(found.keptAsidePath));
    QFile aside(found.keptAsidePath);
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), damaged);
}

void TestJournal::writer_writesPrivateFileAndRemoves()
{
    QTemporaryDir state;
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const QString path = JournalFile::PathFor("/diary");
    qputenv("XDG_STATE_HOME", saved);
    // A folder made wider by someone else is narrowed.
    QVERIFY(QDir().mkdir(state.filePath(QStringLiteral("noterra"))));
    QVERIFY(chmod(QFile::encodeName(state.filePath(QStringLiteral("noterra"))).constData(), 0755) == 0);
    JournalWriter writer(path);
    QSignalSpy failed(&writer, &JournalWriter::Failed);
    writer.Post("old");
    writer.Post(JournalFormat::Encode(FullContent()));
    QVERIFY(writer.Flush());
    QCOMPARE(ModeOf(path), mode_t(0600));
    QCOMPARE(ModeOf(state.filePath(QStringLiteral("noterra"))), mode_t(0700));
    QVERIFY(*JournalFile::Read(path).content == FullContent());
    writer.Post("latest");
    writer.Remove();
    QVERIFY(writer.Flush());
    QCOMPARE(QDir(state.filePath(QStringLiteral("noterra"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList());
    QCoreApplication::processEvents();
    QCOMPARE(failed.count(), 0);
}

void TestJournal::writer_failure_isReportedOncePerRun()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("state"));
    const auto block = [&] {
        QFile file(blocker);
        return file.open(QIODevice::WriteOnly);
    };
    QVERIFY(block());
    JournalWriter writer(blocker + QStringLiteral("/noterra/x.journal"));
    QSignalSpy failed(&writer, &JournalWriter::Failed);
    for (int round = 0; round < 3; ++round) {
        writer.Post("bytes");
        QVERIFY(!writer.Flush());
    }
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(failed.first().first().toString().contains(blocker));
    QVERIFY(QFile::remove(blocker));
    writer.Post("bytes");
    QVERIFY(writer.Flush());
    QVERIFY(QDir(blocker).removeRecursively() && block());
    writer.Post("bytes");
    QVERIFY(!writer.Flush());
    QTRY_COMPARE(failed.count(), 2);
    QVERIFY(QueuedEventsHandled());
    QCOMPARE(failed.count(), 2);
}

// What stands at the journal's names: a named pipe that would hold a writer forever, links to what
// is not the journal's own.
void TestJournal::somethingInTheWay_neitherHoldsNorIsFollowed_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<bool>("written");
    QTest::newRow("named pipe at the temporary name") << "noterra/x.journal.tmp" << true;
    QTest::newRow("link at the temporary name") << "noterra/x.journal.tmp" << true;
    QTest::newRow("link as the journal") << "noterra/x.journal" << true;
    QTest::newRow("link as the folder") << "noterra" << false;
}

void TestJournal::somethingInTheWay_neitherHoldsNorIsFollowed()
{
    QFETCH(QString, in);
    QFETCH(bool, written);
    QTemporaryDir state, shared;
    const QString path = state.filePath(QStringLiteral("noterra/x.journal"));
    const QString other = shared.filePath(QStringLiteral("other.journal"));
    const QByteArray otherBytes = JournalFormat::Encode(JournalContent());
    QVERIFY(QDir().mkpath(state.filePath(QStringLiteral("noterra")))
        && chmod(QFile::encodeName(shared.path()), 01777) == 0);
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(otherBytes) == otherBytes.size());
    file.close();
    const QByteArray name = QFile::encodeName(state.filePath(in));
    QVERIFY(QDir(state.filePath(in)).removeRecursively());
    if (QByteArray(QTest::currentDataTag()).startsWith("named pipe"))
        QVERIFY(mkfifo(name.constData(), 0600) == 0);
    else
        QVERIFY(symlink(QFile::encodeName(in == "noterra" ? shared.path() : other).constData(), name.constData()) == 0);
    // The journal of that link is another diary's: it is set aside, never read.
    const JournalFile::Found found = JournalFile::Read(path);
    QVERIFY(!found.content);
    auto write
        = std::async(std::launch::async, [&] { JournalFile::Write(path, JournalFormat::Encode(FullContent())); });
    if (write.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        // Frees the writer that waits for a reader, so that the suite ends.
        const int reader = open(name.constData(), O_RDONLY | O_NONBLOCK);
        write.wait();
        close(reader);
        QFAIL("the journal's write waited on what stood in its way");
    }
    QString failure;
    try {
        write.get();
    } catch (const StoreError &error) {
        failure = error.message();
    }
    QVERIFY2(failure.isEmpty() == written && (written || failure.contains(u"シンボリックリンク")), qPrintable(failure));
    QCOMPARE(JournalFile::Read(path).content.has_value(), written);
    QCOMPARE(ModeOf(shared.path()), mode_t(01777));
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == otherBytes);
}

// Without XDG_RUNTIME_DIR, another local account that made /tmp/noterra-<uid> first must not keep
// this account's program from starting, nor take its locks.
void TestJournal::runtimeFolderTakenByAnotherAccount_locksStillHold()
{
    const QByteArray shared = "/tmp/noterra-" + QByteArray::number(geteuid());
    QTemporaryDir theirs;
    if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        QSKIP("another account's folder needs root and a mount namespace of the test's own");
    QVERIFY((mkdir(shared, 0700) == 0 || errno == EEXIST) && chown(QFile::encodeName(theirs.path()), 65534, 0) == 0);
    QVERIFY(mount(QFile::encodeName(theirs.path()).constData(), shared, nullptr, MS_BIND, nullptr) == 0);
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_scratch.path()));
    try {
        const RuntimeLock lock(QStringLiteral("diary"));
        QVERIFY_THROWS_EXCEPTION(RuntimeLock::Held, RuntimeLock(QStringLiteral("diary")));
    } catch (const StoreError &error) {
        QFAIL(qPrintable(error.message()));
    }
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
