#include "smalldisk.h"
#include "store/monthfile/monthfile.h"
#include "store/text/yearmonth.h"
#include "store/xml/xmldom.h"
#include "storefixtures.h"
#include "usermessages/storeerror.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <utility>

namespace {

const char *const SaveForeverArgument = "--save-forever";
const char *const SaveCutOffArgument = "--save-cut-off";
const char *const SaveStepArgument = "--save-step";

// In a save's child process: before the step-th rename or creation that names the month, another
// program renames its version over it, and after the call the process is killed.
int Step = 0, Calls = 0;
bool Foreign = false, Kill = false;
QByteArray Month;

template <typename Call> auto AtStep(const char *path, Call call)
{
    const bool now = Step > 0 && QByteArray(path).startsWith(Month) && ++Calls == Step;
    if (now && Foreign)
        rename(Month.left(Month.lastIndexOf('/')) + "/other.xml", Month);
    const auto result = call();
    if (now && Kill)
        raise(SIGKILL);
    return result;
}
constexpr int Days = 31;
constexpr int EntriesPerDay = 100;

// Root passes every permission check; acting as nobody for file access makes the permission
// tests mean what they say.
class FileAccessAsNobody
{
public:
    FileAccessAsNobody()
    {
        if (geteuid() != 0)
            return;
        setfsuid(65534);
        m_active = setfsuid(uid_t(-1)) == 65534;
    }
    ~FileAccessAsNobody()
    {
        if (m_active)
            setfsuid(0);
    }
    bool permissionsHold() const { return geteuid() != 0 || m_active; }

private:
    bool m_active = false;
};

// Room for the test's own work, so that a reader that never stops fails here instead of taking
// the machine's memory.
class MemoryCap
{
public:
    MemoryCap()
    {
        getrlimit(RLIMIT_AS, &m_previous);
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return;
        const rlim_t used = rlim_t(statm.readAll().split(' ').value(0).toULongLong()) * rlim_t(sysconf(_SC_PAGESIZE));
        const rlimit cap { used + (rlim_t(1) << 30), m_previous.rlim_max };
        setrlimit(RLIMIT_AS, &cap);
    }
    ~MemoryCap() { setrlimit(RLIMIT_AS, &m_previous); }

private:
    rlimit m_previous {};
};

void BuildMonth(XmlDocument &doc, int days, int entriesPerDay, const QString &text)
{
    doc.clear();
    doc.appendChild(doc.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"Shift_JIS\"")));
    XmlNode diary = doc.appendChild(doc.createElement(QStringLiteral("DIARY")));
    for (int day = 1; day <= days; ++day) {
        XmlNode article = diary.appendChild(doc.createElement(QStringLiteral("ARTICLE")));
        article.setAttribute(QStringLiteral("DATE"), QString::number(day));
        for (int entry = 0; entry < entriesPerDay; ++entry)
            article.appendChild(doc.createElement(QStringLiteral("TEXT"))).setText(text);
    }
}

void FillMonth(XmlDocument &doc, int version)
{
    BuildMonth(doc, Days, EntriesPerDay,
        QString::number(version) + u':' + QStringLiteral(u"今日は晴れ。walk\\n").repeated(12));
}

// A month of one entry that is written as exactly size bytes.
void MonthOfSize(XmlDocument &doc, qint64 size)
{
    BuildMonth(doc, 1, 1, QStringLiteral("a"));
    BuildMonth(doc, 1, 1, QString(size - doc.saveXml().size() + 1, u'a'));
}

int SaveStep(const QStringList &arguments)
{
    std::tie(Step, Foreign, Kill, Month)
        = std::tuple(arguments[1].toInt(), arguments[2] == u'1', arguments[3] == u'1', QFile::encodeName(arguments[0]));
    XmlDocument doc;
    BuildMonth(doc, 1, 1, QStringLiteral("v2"));
    // What is on disk is judged by the test, also when the month changed meanwhile.
    MonthFile::Write(doc, arguments[0], MonthFile::OnDisk { true, Fixtures::ReadFile(arguments[0] + ".v1") });
    return 0;
}

int SaveForever(const QString &path)
{
    XmlDocument doc;
    QTextStream out(stdout);
    QElapsedTimer lifetime;
    lifetime.start();
    // Bounded, so that a saver whose test died does not run on.
    for (int version = 1; lifetime.elapsed() < 60000; ++version) {
        FillMonth(doc, version);
        MonthFile::Write(doc, path);
        out << "saved " << version << Qt::endl;
    }
    return 0;
}

// Saves once more with a file size limit below the month's size: the system stops the process in
// the middle of writing, as a crash would.
int SaveCutOff(const QString &path, rlim_t limit)
{
    const rlimit noCore { 0, 0 };
    const rlimit fileSize { limit, limit };
    setrlimit(RLIMIT_CORE, &noCore);
    setrlimit(RLIMIT_FSIZE, &fileSize);
    XmlDocument doc;
    FillMonth(doc, 2);
    MonthFile::Write(doc, path);
    return 0;
}

}

extern "C" int rename(const char *from, const char *to)
{
    static const auto call = reinterpret_cast<int (*)(const char *, const char *)>(dlsym(RTLD_NEXT, "rename"));
    return AtStep(from, [&] { return call(from, to); });
}

extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned flags)
{
    static const auto call
        = reinterpret_cast<int (*)(int, const char *, int, const char *, unsigned)>(dlsym(RTLD_NEXT, "renameat2"));
    return AtStep(from, [&] { return call(fromFolder, from, toFolder, to, flags); });
}

extern "C" int open(const char *path, int flags, ...)
{
    static const auto call = reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open"));
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    return (flags & O_EXCL) != 0 ? AtStep(path, [&] { return call(path, flags, mode); }) : call(path, flags, mode);
}

class TestMonthFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fileName_data();
    void fileName();
    void read_unreadableFile_isKeptAside_data();
    void read_unreadableFile_isKeptAside();
    void read_keptAsideNames_neverCollide();
    void read_withoutReadPermission_isKeptAside();
    void read_unreadableFileThatCannotMove_throwsAndStays();
    void directoryAtMonthPath_failsAndStaysUntouched();
    void read_notAMonthFile_isRefusedAndLeftAlone_data();
    void read_notAMonthFile_isRefusedAndLeftAlone();
    void write_readOnlyDirectory_keepsOldFile();
    void write_fullDisk_failsKeepsOldFileAndSavesOnceThereIsRoom_data();
    void write_fullDisk_failsKeepsOldFileAndSavesOnceThereIsRoom();
    void write_keepsModeAndOwner_data();
    void write_keepsModeAndOwner();
    void write_changedBytes_keepThePreviousVersionAsBak();
    void write_somethingInTheWayOfTheBak_savesAndSaysWhy_data();
    void write_somethingInTheWayOfTheBak_savesAndSaysWhy();
    void write_entryOfMillionsOfCharacters_loadsBack();
    void write_fileThatWouldNotReadBack_neverReplacesTheOldOne_data();
    void write_fileThatWouldNotReadBack_neverReplacesTheOldOne();
    void write_interruptedByKill_leavesAWholeFile();
    void write_cutOffInTheMiddle_leavesOldFile();
    void write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion_data();
    void write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion();
    void removeLeftovers_removesOnlyWhatSavesLeave_data();
    void removeLeftovers_removesOnlyWhatSavesLeave();

private:
    QString MonthPath() const { return m_dir->filePath(QStringLiteral("Diary20013.xml")); }
    static void VerifyWriteFails(const QString &directory);
    static void VerifyOldFileAlone(const QString &directory);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMonthFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMonthFile::cleanup()
{
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestMonthFile::fileName_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("name");
    QTest::newRow("January 2001") << 2001 << 1 << QStringLiteral("Diary20011.xml");
    QTest::newRow("March 2001") << 2001 << 3 << QStringLiteral("Diary20013.xml");
    QTest::newRow("November 2001") << 2001 << 11 << QStringLiteral("Diary200111.xml");
    QTest::newRow("December 2025") << 2025 << 12 << QStringLiteral("Diary202512.xml");
}

void TestMonthFile::fileName()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, name);
    const QString yearText = YearMonth::YearText(year);
    const QString monthText = YearMonth::MonthText(month);
    QCOMPARE(MonthFile::FileName(yearText, monthText), name);
    QCOMPARE(MonthFile::FilePath(m_dir->path(), yearText, monthText), m_dir->path() + u'/' + name);
}

void TestMonthFile::read_unreadableFile_isKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short") << Fixtures::Cp932Month().chopped(12);
    QTest::newRow("two roots") << QByteArray("<DIARY/><DIARY/>");
    QTest::newRow("not code page 932") << Fixtures::Declaration("Shift_JIS")
            + "<DIARY><TEXT>\x81\x20\xFD</TEXT></DIARY>";
    QTest::newRow("not UTF-8") << Fixtures::Declaration("UTF-8") + "<DIARY><TEXT>\x93\xFA</TEXT></DIARY>";
    QTest::newRow("unknown encoding") << Fixtures::Declaration("X-NOTHING") + "<DIARY/>";
    QTest::newRow("entity expansion") << QByteArray(
        "<!DOCTYPE DIARY [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
        "<DIARY><TEXT>&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;</TEXT></DIARY>");
    QTest::newRow("deep nesting") << QByteArray("<DIARY>").repeated(5000) + QByteArray("</DIARY>").repeated(5000);
}

void TestMonthFile::read_unreadableFile_isKeptAside()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(Fixtures::WriteFile(MonthPath(), bytes));
    XmlDocument doc;
    QVERIFY(doc.loadXml(Fixtures::Utf8Month(), nullptr));

    const MonthFile::ReadResult result = MonthFile::Read(doc, MonthPath());
    QCOMPARE(result.status, MonthFile::ReadResult::Status::KeptAside);
    // Told in Japanese: the library's English may follow only as a detail.
    const QString told = result.reason.section(QStringLiteral("詳細:"), 0, 0);
    QVERIFY2(!told.isEmpty()
            && !QString(told)
                    .remove(QStringLiteral("XML"))
                    .remove(QStringLiteral("Shift_JIS"))
                    .contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
        qPrintable(result.reason));
    QVERIFY(doc.saveXml().isEmpty());
    QVERIFY(!QFileInfo::exists(MonthPath()));
    QCOMPARE(Fixtures::ReadFile(result.keptAsidePath), bytes);
}

void TestMonthFile::read_keptAsideNames_neverCollide()
{
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString next = QDateTime::currentDateTime().addSecs(1).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QStringList earlier;
    for (const QString &stamp : { now, next }) {
        earlier << MonthPath() + QStringLiteral(".unreadable-") + stamp;
        earlier << earlier.back() + QStringLiteral("-2");
    }
    for (const QString &path : earlier)
        QVERIFY(Fixtures::WriteFile(path, QFileInfo(path).fileName().toUtf8()));

    QStringList keptAside;
    XmlDocument doc;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QVERIFY(Fixtures::WriteFile(MonthPath(), "broken " + QByteArray::number(attempt)));
        keptAside << MonthFile::Read(doc, MonthPath()).keptAsidePath;
        QCOMPARE(Fixtures::ReadFile(keptAside.back()), "broken " + QByteArray::number(attempt));
    }
    QCOMPARE(QSet<QString>(keptAside.cbegin(), keptAside.cend()).size(), 3);
    for (const QString &path : earlier) {
        QVERIFY(!keptAside.contains(path));
        QCOMPARE(Fixtures::ReadFile(path), QFileInfo(path).fileName().toUtf8());
    }
}

void TestMonthFile::read_withoutReadPermission_isKeptAside()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));
    QVERIFY(QFile::setPermissions(MonthPath(), QFileDevice::Permissions()));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::Permissions(0x7777)));
    XmlDocument doc;
    MonthFile::ReadResult result;
    {
        FileAccessAsNobody nobody;
        if (!nobody.permissionsHold())
            QSKIP("running as root without the right to act as another user: every file is readable");
        result = MonthFile::Read(doc, MonthPath());
    }
    QCOMPARE(result.status, MonthFile::ReadResult::Status::KeptAside);
    QVERIFY(!QFileInfo::exists(MonthPath()));
    QVERIFY(QFile::setPermissions(result.keptAsidePath, QFileDevice::ReadOwner));
    QCOMPARE(Fixtures::ReadFile(result.keptAsidePath), Fixtures::Cp932Month());
}

void TestMonthFile::read_unreadableFileThatCannotMove_throwsAndStays()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(), "<DIARY>"));
    QVERIFY(QFile::setPermissions(m_dir->path(),
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther));
    XmlDocument doc;
    {
        FileAccessAsNobody nobody;
        if (!nobody.permissionsHold())
            QSKIP("running as root without the right to act as another user: every directory is writable");
        QVERIFY_THROWS_EXCEPTION(StoreError, MonthFile::Read(doc, MonthPath()));
    }
    QCOMPARE(Fixtures::ReadFile(MonthPath()), QByteArray("<DIARY>"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
}

void TestMonthFile::directoryAtMonthPath_failsAndStaysUntouched()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(MonthPath()).fileName()));
    QVERIFY(Fixtures::WriteFile(MonthPath() + QStringLiteral("/keep.txt"), "mine"));
    XmlDocument doc;
    QVERIFY_THROWS_EXCEPTION(StoreError, MonthFile::Read(doc, MonthPath()));
    QVERIFY(doc.loadXml(Fixtures::Cp932Month(), nullptr));
    try {
        MonthFile::Write(doc, MonthPath());
        QFAIL("writing over a directory succeeded");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("Diary20013.xml")), qPrintable(error.message()));
    }
    QCOMPARE(Fixtures::ReadFile(MonthPath() + QStringLiteral("/keep.txt")), QByteArray("mine"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
}

void TestMonthFile::read_notAMonthFile_isRefusedAndLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe, which would block the reader") << "pipe";
    QTest::newRow("link to /dev/zero, which never ends") << "device";
    QTest::newRow("sparse file just over 256 MB") << "large";
    QTest::newRow("directory") << "directory";
}

void TestMonthFile::read_notAMonthFile_isRefusedAndLeftAlone()
{
    QFETCH(QString, kind);
    const QByteArray name = QFile::encodeName(MonthPath());
    if (kind == "pipe")
        QCOMPARE(mkfifo(name.constData(), 0600), 0);
    else if (kind == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), MonthPath()));
    else if (kind == "large")
        QVERIFY(Fixtures::WriteFile(MonthPath(), {}) && QFile::resize(MonthPath(), qint64(256) * 1024 * 1024 + 1));
    else
        QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(MonthPath()).fileName()));
    struct stat before;
    QCOMPARE(lstat(name.constData(), &before), 0);

    XmlDocument doc;
    QVERIFY(doc.loadXml(Fixtures::Cp932Month(), nullptr));
    try {
        MemoryCap cap;
        MonthFile::Read(doc, MonthPath());
        QFAIL("read as a month file");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("「Diary20013.xml」")), qPrintable(error.message()));
    }
    QVERIFY(doc.saveXml().isEmpty());
    struct stat after;
    QCOMPARE(lstat(name.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size(), 1);
}

void TestMonthFile::VerifyWriteFails(const QString &directory)
{
    XmlDocument doc;
    FillMonth(doc, 2);
    QVERIFY_THROWS_EXCEPTION(StoreError, MonthFile::Write(doc, directory + QStringLiteral("/Diary20013.xml")));
}

void TestMonthFile::VerifyOldFileAlone(const QString &directory)
{
    const QString path = directory + QStringLiteral("/Diary20013.xml");
    QCOMPARE(Fixtures::ReadFile(path), Fixtures::Cp932Month());
    QCOMPARE(
        QDir(directory).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList(QFileInfo(path).fileName()));
}

void TestMonthFile::write_readOnlyDirectory_keepsOldFile()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));
    QVERIFY(QFile::setPermissions(m_dir->path(),
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther));
    {
        FileAccessAsNobody nobody;
        if (!nobody.permissionsHold())
            QSKIP("running as root without the right to act as another user: every directory is writable");
        VerifyWriteFails(m_dir->path());
    }
    VerifyOldFileAlone(m_dir->path());
}

void TestMonthFile::write_fullDisk_failsKeepsOldFileAndSavesOnceThereIsRoom_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("a few bytes") << qint64(120);
    QTest::newRow("4 KiB - 1") << qint64(4095);
    QTest::newRow("4 KiB + 1") << qint64(4097);
    QTest::newRow("16 KiB - 1") << qint64(16383);
    QTest::newRow("16 KiB + 1") << qint64(16385);
    QTest::newRow("64 KiB + 1") << qint64(65537);
    QTest::newRow("1 MiB + 1") << qint64(1048577);
}

void TestMonthFile::write_fullDisk_failsKeepsOldFileAndSavesOnceThereIsRoom()
{
    QFETCH(qint64, size);
    SmallDisk disk(m_dir->path(), 4 << 20);
    if (!disk.mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs to fill: %1").arg(disk.error())));
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));
    XmlDocument doc;
    MonthOfSize(doc, size);
    QCOMPARE(doc.saveXml().size(), size);
    QVERIFY(disk.LeaveFree(SmallDisk::JustBelow(size)));

    try {
        MonthFile::Write(doc, MonthPath());
        QFAIL("a save onto a full disk succeeded");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("容量不足")), qPrintable(error.message()));
    }
    VerifyOldFileAlone(m_dir->path());

    disk.MakeRoom();
    MonthFile::Write(doc, MonthPath());
    QCOMPARE(Fixtures::ReadFile(MonthPath()), doc.saveXml());
    QCOMPARE(Fixtures::ReadFile(MonthPath() + QStringLiteral(".bak")), Fixtures::Cp932Month());
}

void TestMonthFile::write_keepsModeAndOwner_data()
{
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::newRow("another user's private file") << 65534u << 0600u;
    QTest::newRow("read-only file") << 0u << 0444u;
}

void TestMonthFile::write_keepsModeAndOwner()
{
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    if (geteuid() != 0)
        QSKIP("only root can give a file to another user and save over a read-only file");
    const QByteArray path = QFile::encodeName(MonthPath());
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));
    QCOMPARE(chown(path.constData(), owner, owner), 0);
    QCOMPARE(chmod(path.constData(), mode), 0);
    XmlDocument doc;
    BuildMonth(doc, 1, 1, QStringLiteral("saved"));

    MonthFile::Write(doc, MonthPath());
    QCOMPARE(Fixtures::ReadFile(MonthPath()), doc.saveXml());
    struct stat info
    {
    };
    QCOMPARE(stat(path.constData(), &info), 0);
    QCOMPARE(uint(info.st_uid), owner);
    QCOMPARE(uint(info.st_gid), owner);
    QCOMPARE(uint(info.st_mode & 07777), mode);
}

void TestMonthFile::write_changedBytes_keepThePreviousVersionAsBak()
{
    const QString backup = MonthPath() + QStringLiteral(".bak");
    const QList<std::pair<QString, QString>> saves
        = { { QStringLiteral("one"), QString() }, { QStringLiteral("two"), QStringLiteral("one") },
              { QStringLiteral("two"), QStringLiteral("one") }, { QStringLiteral("three"), QStringLiteral("two") } };
    QHash<QString, QByteArray> written;
    XmlDocument doc;
    for (const auto &[text, previous] : saves) {
        BuildMonth(doc, 1, 1, text);
        QVERIFY(MonthFile::Write(doc, MonthPath()).backupSkipped.isEmpty());
        written[text] = Fixtures::ReadFile(MonthPath());
        QVERIFY(written[text].contains(text.toLatin1()));
        QCOMPARE(Fixtures::ReadFile(backup), written.value(previous));
        // A new month is private, and so is its previous version, a link to it.
        QCOMPARE(QFileInfo(MonthPath()).permissions() & 0x0077, 0);
    }
    QCOMPARE(QFileInfo(backup).permissions() & 0x0077, 0);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
        QStringList({ QStringLiteral("Diary20013.xml"), QStringLiteral("Diary20013.xml.bak") }));
}

void TestMonthFile::write_somethingInTheWayOfTheBak_savesAndSaysWhy_data()
{
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder with the .bak's name") << false << QStringLiteral("同じ名前のフォルダー");
    QTest::newRow("another account's .bak in a shared folder") << true << QStringLiteral("権限不足");
}

void TestMonthFile::write_somethingInTheWayOfTheBak_savesAndSaysWhy()
{
    QFETCH(bool, asNobody);
    QFETCH(QString, reason);
    const QString backup = MonthPath() + QStringLiteral(".bak");
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));
    if (asNobody) {
        // Others may not replace a file in a folder with the sticky bit, as in /tmp.
        QVERIFY(Fixtures::WriteFile(backup, "root's"));
        QCOMPARE(chmod(QFile::encodeName(m_dir->path()).constData(), 01777), 0);
        QCOMPARE(chown(QFile::encodeName(MonthPath()).constData(), 65534, 65534), 0);
    } else {
        QVERIFY(QDir().mkpath(backup + QStringLiteral("/inside")));
    }
    XmlDocument doc;
    BuildMonth(doc, 1, 1, QStringLiteral("saved"));
    MonthFile::WriteResult result;
    {
        std::optional<FileAccessAsNobody> nobody;
        if (asNobody && (geteuid() != 0 || !nobody.emplace().permissionsHold()))
            QSKIP("only root can make another account's file stand in the way");
        result = MonthFile::Write(doc, MonthPath());
    }
    QCOMPARE(Fixtures::ReadFile(MonthPath()), doc.saveXml());
    QVERIFY2(result.backupSkipped.contains(reason), qPrintable(result.backupSkipped));
    QCOMPARE(QFileInfo(backup).isDir(), !asNobody);
}

void TestMonthFile::write_entryOfMillionsOfCharacters_loadsBack()
{
    // More than 10 MB as UTF-8, the library's ordinary limit for one text.
    const QString entry = QStringLiteral(u"日記").repeated(1700000);
    XmlDocument doc;
    BuildMonth(doc, 1, 1, entry);
    MonthFile::Write(doc, MonthPath());

    XmlDocument loaded;
    QCOMPARE(MonthFile::Read(loaded, MonthPath()).status, MonthFile::ReadResult::Status::Loaded);
    const std::vector<XmlNode> entries = loaded.getElementsByTagName(QStringLiteral("TEXT"));
    QCOMPARE(entries.size(), size_t(1));
    QVERIFY(entries.front().text() == entry);
}

void TestMonthFile::write_fileThatWouldNotReadBack_neverReplacesTheOldOne_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("nesting");
    QTest::addColumn<QString>("entry");
    QTest::newRow("huge entry in a month with a document type")
        << QByteArray("<!DOCTYPE DIARY><DIARY/>") << 1 << QStringLiteral(u"日").repeated(3400000);
    QTest::newRow("nesting deeper than reading allows") << QByteArray("<DIARY/>") << 300 << QStringLiteral("a");
}

void TestMonthFile::write_fileThatWouldNotReadBack_neverReplacesTheOldOne()
{
    QFETCH(QByteArray, start);
    QFETCH(int, nesting);
    QFETCH(QString, entry);
    XmlDocument doc;
    QVERIFY(doc.loadXml(start, nullptr));
    XmlNode node = doc.documentElement();
    for (int level = 0; level < nesting; ++level)
        node = node.appendChild(doc.createElement(QStringLiteral("ARTICLE")));
    node.appendChild(doc.createElement(QStringLiteral("TEXT"))).setText(entry);
    QVERIFY(Fixtures::WriteFile(MonthPath(), Fixtures::Cp932Month()));

    try {
        MonthFile::Write(doc, MonthPath());
        QFAIL("a file that does not read back replaced the month file");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("読み込み直せない")), qPrintable(error.message()));
    }
    VerifyOldFileAlone(m_dir->path());
}

void TestMonthFile::write_interruptedByKill_leavesAWholeFile()
{
    XmlDocument doc;
    for (int round = 0; round < 5; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(SaveForeverArgument), MonthPath() });
        QVERIFY(saver.waitForStarted());
        QVERIFY(saver.waitForReadyRead(30000));
        QThread::msleep(QRandomGenerator::global()->bounded(1, 60));
        saver.kill();
        QVERIFY(saver.waitForFinished());

        QCOMPARE(MonthFile::Read(doc, MonthPath()).status, MonthFile::ReadResult::Status::Loaded);
        const std::vector<XmlNode> entries = doc.getElementsByTagName(QStringLiteral("TEXT"));
        QCOMPARE(entries.size(), size_t(Days * EntriesPerDay));
        const QString version = entries.front().text().section(u':', 0, 0);
        QVERIFY(std::all_of(entries.cbegin(), entries.cend(),
            [&](const XmlNode &entry) { return entry.text().section(u':', 0, 0) == version; }));
    }
}

void TestMonthFile::write_cutOffInTheMiddle_leavesOldFile()
{
    XmlDocument doc;
    FillMonth(doc, 1);
    MonthFile::Write(doc, MonthPath());
    const QByteArray old = Fixtures::ReadFile(MonthPath());
    const qint64 limit = old.size() / 2;

    QProcess saver;
    saver.start(QCoreApplication::applicationFilePath(),
        { QString::fromLatin1(SaveCutOffArgument), MonthPath(), QString::number(limit) });
    QVERIFY(saver.waitForFinished(60000));
    QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
    QCOMPARE(saver.exitCode(), SIGXFSZ);
    QCOMPARE(Fixtures::ReadFile(MonthPath()), old);
    // Cut off while it was written, the temporary file had no reader but its owner.
    const QFileInfoList left = QDir(m_dir->path()).entryInfoList({ QStringLiteral("*.tmp") }, QDir::Files);
    QVERIFY(left.size() == 1 && (left.front().permissions() & 0x0077) == 0);
}

void TestMonthFile::write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("kill");
    QTest::newRow("undisturbed") << 0 << false << false;
    for (int step = 1; step <= 8; ++step)
        for (const auto &[what, foreign, kill] : { std::tuple("renamed over", true, false), { "killed", false, true },
                 { "renamed over and killed", true, true } })
            QTest::addRow("%s at step %d", what, step) << step << foreign << kill;
}

void TestMonthFile::write_renamedOverOrKilledAtEachStep_nextStartFindsEveryVersion()
{
    QFETCH(int, step);
    QFETCH(bool, foreign);
    QFETCH(bool, kill);
    XmlDocument doc;
    BuildMonth(doc, 1, 1, QStringLiteral("v1"));
    const QByteArray v1 = doc.saveXml(), other = QByteArray(v1).replace("v1", "other");
    // A .bak from the save before, which a file system that will not rename over a name keeps.
    QVERIFY(Fixtures::WriteFile(MonthPath(), v1) && Fixtures::WriteFile(MonthPath() + ".v1", v1)
        && Fixtures::WriteFile(m_dir->filePath("other.xml"), other) && Fixtures::WriteFile(MonthPath() + ".bak", "v0"));
    QProcess saver;
    saver.start(QCoreApplication::applicationFilePath(),
        { QString::fromLatin1(SaveStepArgument), MonthPath(), QString::number(step), QString::number(foreign),
            QString::number(kill) });
    QVERIFY(saver.waitForFinished(60000));
    QCOMPARE(MonthFile::RemoveLeftovers(m_dir->path()), QStringList());
    const QByteArray month = Fixtures::ReadFile(MonthPath()), bak = Fixtures::ReadFile(MonthPath() + ".bak");
    QCOMPARE(MonthFile::Read(doc, MonthPath()).status, MonthFile::ReadResult::Status::Loaded);
    QByteArray kept = month;
    for (const QString &name : QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden)) {
        QVERIFY2(!name.contains(QStringLiteral("noterra")), qPrintable(name));
        kept += name.contains(QStringLiteral(".conflict-")) ? Fixtures::ReadFile(m_dir->filePath(name)) : QByteArray();
    }
    // A step past the save's last leaves the other program's version unmoved.
    foreign = foreign && !QFileInfo::exists(m_dir->filePath("other.xml"));
    QVERIFY(foreign ? kept.contains(other) : (kept + bak).contains(v1));
    QVERIFY(foreign || kill || (month.contains("v2") && bak == v1));
}

void TestMonthFile::removeLeftovers_removesOnlyWhatSavesLeave_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("link");
    QTest::addColumn<bool>("removed");
    const QString cutOff = QStringLiteral("Diary20263.xml.noterra0123456789abcdef.tmp");
    QTest::newRow("a cut-off save's file") << cutOff << false << true;
    QTest::newRow("a copy's") << "Diary20263.xml.conflict-20260315-120000.noterra0123456789abcdef.tmp" << false << true;
    for (const char *word : { "mine", "oldversion", "beforeedit", "workingcopy", "mybackup2025", "0000000000001",
             "0k3j5h2g9d8s1", "noterra0123456789abcde", "noterra0123456789abcdefi0" })
        QTest::addRow("a user's %s", word) << QStringLiteral("Diary20263.xml.%1.tmp").arg(word) << false << false;
    QTest::newRow("month 13") << QStringLiteral("Diary202613.xml.noterra0123456789abcdef.tmp") << false << false;
    QTest::newRow("a symbolic link") << cutOff << true << false;
}

void TestMonthFile::removeLeftovers_removesOnlyWhatSavesLeave()
{
    QFETCH(QString, name);
    QFETCH(bool, link);
    QFETCH(bool, removed);
    const QString month = m_dir->filePath(QStringLiteral("Diary20263.xml")), path = m_dir->filePath(name);
    QVERIFY(Fixtures::WriteFile(month, Fixtures::Cp932Month()));
    QVERIFY(link ? QFile::link(month, path) : Fixtures::WriteFile(path, "cut off"));
    QCOMPARE(MonthFile::RemoveLeftovers(m_dir->path()), QStringList());
    QCOMPARE(QFileInfo(path).isSymLink() || QFileInfo::exists(path), !removed);
    QCOMPARE(Fixtures::ReadFile(month), Fixtures::Cp932Month());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], SaveForeverArgument) == 0)
        return SaveForever(QString::fromLocal8Bit(argv[2]));
    if (argc == 6 && qstrcmp(argv[1], SaveStepArgument) == 0)
        return SaveStep(app.arguments().mid(2));
    if (argc == 4 && qstrcmp(argv[1], SaveCutOffArgument) == 0)
        return SaveCutOff(QString::fromLocal8Bit(argv[2]), rlim_t(QByteArray(argv[3]).toLongLong()));
    TestMonthFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_monthfile.moc"
