#include "smalldisk.h"
#include "store/folder/diaryfolder.h"
#include "store/month/monthdocument.h"
#include "store/month/publicmod.h"
#include "store/monthfile/monthrules.h"
#include "storefixtures.h"
#include "usermessages/storeerror.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Fixtures::FakeCalendar;

const QString Year = QStringLiteral("2001");
const QString March = QStringLiteral("3");
const QString April = QStringLiteral("4");

}

class TestMonthDocument : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void loadMonth_withoutFile_isDeclarationAndEmptyDiary();
    void loadMonth_validFile_isTheFileAndForgetsTheDay();
    void loadMonth_unreadableFile_keptAsideAndStartsEmpty();
    void saveMonth_dropsBlankEntriesOnly_data();
    void saveMonth_dropsBlankEntriesOnly();
    void saveMonth_blankEntryInsideEntry_isDroppedOnce();
    void saveMonth_twice_writesTheSameBytes();
    void saveMonth_withoutLoadedMonth_refusesToWrite();
    void saveMonth_diskUnmountedUnderTheFolder_failsAndWritesNowhere();
    void addArticle_ninth_isLastChildAndTheDay();
    void unsavedChanges_followChangesAndSaves_data();
    void unsavedChanges_followChangesAndSaves();
    void articleDay_data();
    void articleDay();

private:
    DiaryFolder Folder() const { return DiaryFolder(m_dir->path()); }
    QString MonthPath(const QString &month) const
    {
        return m_dir->filePath(QStringLiteral("Diary2001") + month + ".xml");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PublicMod> m_state;
};

void TestMonthDocument::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = std::make_unique<PublicMod>();
}

void TestMonthDocument::loadMonth_withoutFile_isDeclarationAndEmptyDiary()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(March), Fixtures::Cp932Month()));
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    m_state->xmlDay = m_state->xmlDoc.getElementsByTagName(QStringLiteral("ARTICLE")).front();
    m_state->curText = 1;

    const auto result = MonthDocument::LoadMonth(*m_state, Folder(), Year, April);
    QCOMPARE(result.status, MonthFile::ReadResult::Status::Missing);
    QCOMPARE(m_state->xmlDoc.saveXml(), Fixtures::Declaration("Shift_JIS") + "<DIARY/>\n");
    QVERIFY(m_state->xmlDay.isNull());
    QCOMPARE(m_state->curText, 1);
    QVERIFY(!QFileInfo::exists(MonthPath(April)));
}

void TestMonthDocument::loadMonth_validFile_isTheFileAndForgetsTheDay()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(March), Fixtures::Cp932Month()));
    MonthDocument::LoadMonth(*m_state, Folder(), Year, April);
    MonthDocument::AddArticle(*m_state, FakeCalendar(1));
    const auto result = MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    QCOMPARE(result.status, MonthFile::ReadResult::Status::Loaded);
    QVERIFY(m_state->xmlDay.isNull());
    MonthDocument::SaveMonth(*m_state, Folder(), Year, April);
    QCOMPARE(Fixtures::ReadFile(MonthPath(April)), Fixtures::Cp932Month());
}

void TestMonthDocument::loadMonth_unreadableFile_keptAsideAndStartsEmpty()
{
    const QByteArray broken = Fixtures::Cp932Month().chopped(10);
    QVERIFY(Fixtures::WriteFile(MonthPath(March), broken));
    const auto result = MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    QCOMPARE(result.status, MonthFile::ReadResult::Status::KeptAside);
    QVERIFY(!result.reason.isEmpty());
    QCOMPARE(QFileInfo(result.keptAsidePath).dir(), QDir(m_dir->path()));
    QVERIFY(QFileInfo(result.keptAsidePath).fileName().startsWith(QStringLiteral("Diary20013.xml.unreadable-")));
    QCOMPARE(m_state->xmlDoc.saveXml(), Fixtures::Declaration("Shift_JIS") + "<DIARY/>\n");

    MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
    QCOMPARE(Fixtures::ReadFile(result.keptAsidePath), broken);
    QVERIFY(Fixtures::ReadFile(MonthPath(March)).endsWith("<DIARY/>\n"));
}

void TestMonthDocument::saveMonth_dropsBlankEntriesOnly_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("never typed into") << QStringList(QString()) << QStringList();
    QTest::newRow("spaces only") << QStringList(QStringLiteral("   ")) << QStringList();
    QTest::newRow("tab and ideographic space") << QStringList(QStringLiteral(u"\t\u3000 ")) << QStringList();
    QTest::newRow("two adjacent blanks") << QStringList({ QStringLiteral("a"), QString(), QStringLiteral(" "),
        QStringLiteral("b") }) << QStringList({ QStringLiteral("a"), QStringLiteral("b") });
    QTest::newRow("a line break only") << QStringList(QStringLiteral("\\n")) << QStringList(QStringLiteral("\\n"));
    QTest::newRow("spaces around text") << QStringList(QStringLiteral(u" a\u3000"))
                                        << QStringList(QStringLiteral(u" a\u3000"));
    QTest::newRow("a raw line feed") << QStringList(QStringLiteral("\n")) << QStringList(QStringLiteral("\n"));
}

void TestMonthDocument::saveMonth_dropsBlankEntriesOnly()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, kept);
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    MonthDocument::AddArticle(*m_state, FakeCalendar(3));
    for (const QString &text : entries) {
        XmlNode entry = m_state->xmlDay.appendChild(m_state->xmlDoc.createElement(QStringLiteral("TEXT")));
        if (!text.isNull())
            entry.setText(text);
    }
    const XmlNode day = m_state->xmlDay;

    MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
    QCOMPARE(m_state->xmlDay, day);
    QCOMPARE(Fixtures::EntryTexts(m_state->xmlDay), kept);
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    const std::vector<XmlNode> articles = m_state->xmlDoc.getElementsByTagName(QStringLiteral("ARTICLE"));
    QCOMPARE(articles.size(), 1u);
    QCOMPARE(Fixtures::EntryTexts(articles.front()), kept);
}

void TestMonthDocument::saveMonth_blankEntryInsideEntry_isDroppedOnce()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(March),
        "<DIARY><ARTICLE DATE=\"1\"><TEXT> <TEXT> </TEXT></TEXT>"
        "<TEXT>x<TEXT> </TEXT></TEXT></ARTICLE></DIARY>"));
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    m_state->unsavedChanges = true; // a month left untouched is not written again
    MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
    QCOMPARE(Fixtures::ReadFile(MonthPath(March)),
        QByteArray("<DIARY><ARTICLE DATE=\"1\"><TEXT>x</TEXT></ARTICLE></DIARY>\n"));
}

void TestMonthDocument::saveMonth_twice_writesTheSameBytes()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(March), Fixtures::Cp932Month()));
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    MonthDocument::AddArticle(*m_state, FakeCalendar(20));
    m_state->xmlDay.appendChild(m_state->xmlDoc.createElement(QStringLiteral("TEXT"))).setText(QStringLiteral(u"晴れ"));
    MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
    const QByteArray first = Fixtures::ReadFile(MonthPath(March));
    MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
    QCOMPARE(Fixtures::ReadFile(MonthPath(March)), first);
    QVERIFY(first.contains("<ARTICLE DATE=\"20\"><TEXT>\x90\xB0\x82\xEA</TEXT></ARTICLE>"));
}

void TestMonthDocument::saveMonth_withoutLoadedMonth_refusesToWrite()
{
    QVERIFY_THROWS_EXCEPTION(StoreError, MonthDocument::SaveMonth(*m_state, Folder(), Year, March));
    QVERIFY(!QFileInfo::exists(MonthPath(March)));
}

void TestMonthDocument::saveMonth_diskUnmountedUnderTheFolder_failsAndWritesNowhere()
{
    SmallDisk disk(m_dir->path(), 1 << 20);
    if (!disk.mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs to unmount: %1").arg(disk.error())));
    const DiaryFolder folder(m_dir->path());
    MonthDocument::LoadMonth(*m_state, folder, Year, March);
    MonthDocument::AddArticle(*m_state, FakeCalendar(9));
    MonthDocument::SaveMonth(*m_state, folder, Year, March);
    QVERIFY(QFileInfo::exists(MonthPath(March)));
    // A pulled memory stick: the open folder still reaches the detached disk, its name the empty mount point.
    QCOMPARE(umount2(QFile::encodeName(m_dir->path()).constData(), MNT_DETACH), 0);
    MonthDocument::AddArticle(*m_state, FakeCalendar(10));
    try {
        MonthDocument::SaveMonth(*m_state, folder, Year, March);
        QFAIL("a save into an unmounted disk succeeded");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(m_dir->path()), qPrintable(error.message()));
    }
    QVERIFY(m_state->unsavedChanges);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestMonthDocument::addArticle_ninth_isLastChildAndTheDay()
{
    QVERIFY(Fixtures::WriteFile(MonthPath(March), Fixtures::Cp932Month()));
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    MonthDocument::AddArticle(*m_state, FakeCalendar(9));
    const std::vector<XmlNode> articles = m_state->xmlDoc.documentElement().childNodes();
    QCOMPARE(articles.size(), 3u);
    QCOMPARE(articles.back(), m_state->xmlDay);
    QCOMPARE(m_state->xmlDay.nodeName(), QStringLiteral("ARTICLE"));
    QCOMPARE(m_state->xmlDay.getAttribute(QStringLiteral("DATE")), QStringLiteral("9"));
    QVERIFY(!m_state->xmlDay.hasChildNodes());
}

void TestMonthDocument::unsavedChanges_followChangesAndSaves_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("loaded") << QStringList() << false;
    QTest::newRow("a day's ARTICLE added") << QStringList({ "add article" }) << true;
    QTest::newRow("an entry appended") << QStringList({ "append" }) << true;
    QTest::newRow("an entry's own text written back") << QStringList({ "write same" }) << false;
    QTest::newRow("an entry's text changed") << QStringList({ "write other" }) << true;
    QTest::newRow("an entry removed") << QStringList({ "remove" }) << true;
    QTest::newRow("saved") << QStringList({ "write other", "save" }) << false;
    QTest::newRow("a failed save keeps the mark") << QStringList({ "remove", "fail to save" }) << true;
    QTest::newRow("loaded again") << QStringList({ "append", "load" }) << false;
}

void TestMonthDocument::unsavedChanges_followChangesAndSaves()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, unsaved);
    QVERIFY(Fixtures::WriteFile(MonthPath(March), Fixtures::Cp932Month()));
    m_state->unsavedChanges = true;
    MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
    m_state->xmlDay = m_state->xmlDoc.getElementsByTagName(QStringLiteral("ARTICLE")).front();
    const XmlNode entry = m_state->xmlDay.childNodes().front();
    for (const QString &step : steps) {
        if (step == "add article")
            MonthDocument::AddArticle(*m_state, FakeCalendar(20));
        else if (step == "append")
            MonthDocument::AppendEntry(*m_state, FakeCalendar(12));
        else if (step == "write same")
            MonthDocument::SetEntryText(*m_state, entry, Fixtures::Entries().front());
        else if (step == "write other")
            MonthDocument::SetEntryText(*m_state, entry, QStringLiteral(u"雨"));
        else if (step == "remove")
            MonthDocument::RemoveEntry(*m_state, entry);
        else if (step == "save")
            MonthDocument::SaveMonth(*m_state, Folder(), Year, March);
        else if (step == "fail to save")
            QVERIFY_THROWS_EXCEPTION(StoreError,
                MonthDocument::SaveMonth(
                    *m_state, DiaryFolder(m_dir->filePath(QStringLiteral("missing"))), Year, March));
        else if (step == "load")
            MonthDocument::LoadMonth(*m_state, Folder(), Year, March);
        else
            QFAIL(qPrintable("unknown step " + step));
    }
    QCOMPARE(m_state->unsavedChanges, unsaved);
}

void TestMonthDocument::articleDay_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("day");
    const int none = -1;
    QTest::newRow("9") << QStringLiteral("9") << 9;
    QTest::newRow("leading zero") << QStringLiteral("05") << 5;
    QTest::newRow("surrounding spaces") << QStringLiteral(" 31 ") << 31;
    QTest::newRow("missing") << QString() << none;
    QTest::newRow("empty") << QStringLiteral("") << none;
    QTest::newRow("letters") << QStringLiteral("abc") << none;
    QTest::newRow("decimal fraction") << QStringLiteral("1.5") << none;
    QTest::newRow("sign") << QStringLiteral("+5") << none;
    QTest::newRow("full-width digit") << QStringLiteral(u"５") << none;
    QTest::newRow("zero") << QStringLiteral("0") << none;
    QTest::newRow("beyond a month") << QStringLiteral("32") << none;
    QTest::newRow("beyond an integer") << QStringLiteral("99999999999") << none;
}

void TestMonthDocument::articleDay()
{
    QFETCH(QString, date);
    QFETCH(int, day);
    XmlNewNode article = m_state->xmlDoc.createElement(QStringLiteral("ARTICLE"));
    if (!date.isNull())
        article.node().setAttribute(QStringLiteral("DATE"), date);
    const std::optional<int> read = MonthRules::ArticleDay(article.node());
    QCOMPARE(read.value_or(-1), day);
}

QTEST_GUILESS_MAIN(TestMonthDocument)
#include "tst_monthdocument.moc"
