#include "diaryfixture.h"
#include "mainwindow/calendargrid.h"

#include <QtTest>

using namespace DiaryFixture;

// Adding, editing and deleting entries; moving between days and months; bold days.
class TestEntryEditing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void btnNew_onADayWithoutArticle_createsIt();
    void btnNew_twice_writesBackTheFirst();
    void btnNew_twoArticlesOfOneDay_addsToTheFirst();
    void btnDel_withoutSelection_doesNothing();
    void btnDel_onlyEntry_leavesTheEmptyArticle();
    void btnDel_rightAfterEditing_deletesTheEditedEntry();
    void writeBack_runsBeforeTheClickThatTookTheFocus();
    void writeBack_secondEditIsWrittenToo();
    void writeBack_whenAnotherWindowIsActivated();
    void writeBack_keepsLineBreaksAsMarkers();
    void switch_savesExactlyTheMonthBeingLeft();
    void calendarClick_onNextMonthsDay_savesSwitchesAndMarks();
    void switch_intoMonthWithoutFile_andBack_leavesItsFile();
    void sameMonthPick_savesNothing();
    void switch_failedSave_staysInTheMonth();
    void markDays_marksDaysWithEntries_data();
    void markDays_marksDaysWithEntries();
    void markDays_marksAreNeverCleared();

private:
    // The main window of the fresh diary folder, started on 9 March 2026, not yet shown.
    Window &Open();
    QString Path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Window> m_window;
};

void TestEntryEditing::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestEntryEditing::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

Window &TestEntryEditing::Open()
{
    m_window = std::make_unique<Window>(m_dir->path(), QDate(2026, 3, 9));
    return *m_window;
}

void TestEntryEditing::btnNew_onADayWithoutArticle_createsIt()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"1\"><TEXT>x</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnDel");
    QVERIFY(window.form->State().xmlDay.isNull());
    window.Click("BtnNew");
    const XmlNode day = window.form->State().xmlDay;
    QVERIFY(!day.isNull());
    QCOMPARE(day.getAttribute("DATE"), QString("9"));
    QCOMPARE(window.form->State().xmlDoc.documentElement().childNodes().back(), day);
    QCOMPARE(window.TitleTexts(), QStringList({ "<新規>" }));
    QCOMPARE(window.SelectedRow(), 0);
    QCOMPARE(window.form->State().curText, 0);
    QVERIFY(window.Editor()->hasFocus());
    QVERIFY(window.Editor()->toPlainText().isEmpty());
}

void TestEntryEditing::btnNew_twice_writesBackTheFirst()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("一つ目");
    window.Click("BtnNew");
    QCOMPARE(window.TitleTexts(), QStringList({ "一つ目", "<新規>" }));
    QCOMPARE(window.SelectedRow(), 1);
    QCOMPARE(window.form->State().curText, 1);
    window.Click("BtnNew");
    QCOMPARE(window.TitleTexts(), QStringList({ "一つ目", "", "<新規>" }));
}

void TestEntryEditing::btnNew_twoArticlesOfOneDay_addsToTheFirst()
{
    WriteFile(Path("Diary20263.xml"),
              MonthXml("<ARTICLE DATE=\"9\"><TEXT>a</TEXT></ARTICLE><ARTICLE DATE=\"9\"><TEXT>b</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("c");
    window.Click("BtnEnd");
    QVERIFY(ReadFile(Path("Diary20263.xml"))
                .contains("<ARTICLE DATE=\"9\"><TEXT>a</TEXT><TEXT>c</TEXT></ARTICLE><ARTICLE DATE=\"9\"><TEXT>b</TEXT>"));
}

void TestEntryEditing::btnDel_withoutSelection_doesNothing()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>a</TEXT><TEXT>b</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnDel");
    QCOMPARE(window.TitleTexts(), QStringList({ "a", "b" }));
    QCOMPARE(window.form->State().xmlDay.childNodes().size(), size_t(2));
}

void TestEntryEditing::btnDel_onlyEntry_leavesTheEmptyArticle()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>only</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QCOMPARE(window.Editor()->toPlainText(), QString("only"));
    window.Click("BtnDel");
    QVERIFY(window.TitleTexts().isEmpty());
    QVERIFY(window.Editor()->toPlainText().isEmpty());
    QVERIFY(!window.form->State().xmlDay.isNull());
    window.Click("BtnEnd");
    const QByteArray written = ReadFile(Path("Diary20263.xml"));
    QVERIFY2(written.contains("<ARTICLE DATE=\"9\"/>") || written.contains("<ARTICLE DATE=\"9\"></ARTICLE>"),
             written.constData());
}

void TestEntryEditing::btnDel_rightAfterEditing_deletesTheEditedEntry()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>a</TEXT><TEXT>b</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    window.Type("x");
    window.Click("BtnDel");
    QCOMPARE(window.TitleTexts(), QStringList({ "b" }));
}

void TestEntryEditing::writeBack_runsBeforeTheClickThatTookTheFocus()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("保存前に書き戻す & <tag>");
    window.Click("BtnEnd");
    QVERIFY(!window.form->isVisible());
    const QByteArray written = ReadFile(Path("Diary20263.xml"));
    QVERIFY2(written.contains("&amp; &lt;tag&gt;</TEXT>"), written.constData());
}

void TestEntryEditing::writeBack_secondEditIsWrittenToo()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("first");
    QTest::keyClick(window.Editor(), Qt::Key_Tab);
    QCOMPARE(window.TitleTexts(), QStringList({ "first" }));
    QCOMPARE(window.SelectedRow(), 0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    QVERIFY(window.Editor()->hasFocus());
    window.Type(" second");
    QTest::keyClick(window.Editor(), Qt::Key_Tab);
    QCOMPARE(window.TitleTexts(), QStringList({ "first second" }));
    QCOMPARE(window.form->State().xmlDay.childNodes().front().text(), QString("first second"));
}

void TestEntryEditing::writeBack_whenAnotherWindowIsActivated()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("typed before switching windows");
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_COMPARE(window.form->State().xmlDay.childNodes().front().text(), QString("typed before switching windows"));
}

void TestEntryEditing::writeBack_keepsLineBreaksAsMarkers()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("買い物");
    QTest::keyClick(window.Editor(), Qt::Key_Return);
    window.Type("牛乳");
    window.Click("BtnNew");
    QCOMPARE(window.form->State().xmlDay.childNodes().front().text(), QString("買い物\\n牛乳"));
    QCOMPARE(window.TitleTexts().first(), QString("買い物"));
    window.ClickTitle(0);
    QCOMPARE(window.Editor()->toPlainText(), QString("買い物\n牛乳"));
}

void TestEntryEditing::switch_savesExactlyTheMonthBeingLeft()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>march</TEXT></ARTICLE>"));
    const QByteArray april = MonthXml("<ARTICLE DATE=\"9\"><TEXT>april</TEXT></ARTICLE>");
    WriteFile(Path("Diary20264.xml"), april);
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("added in march");
    window.Calendar()->setFocus(); // the click on the calendar takes the focus first
    window.Pick(QDate(2026, 4, 9));
    QVERIFY(ReadFile(Path("Diary20263.xml")).contains("<TEXT>added in march</TEXT>"));
    QCOMPARE(ReadFile(Path("Diary20264.xml")), april);
    QCOMPARE(window.form->LoadedMonth(), QString("4"));
    QCOMPARE(window.TitleTexts(), QStringList({ "april" }));
    QVERIFY(window.form->State().xmlDay.childNodes().front().text() == "april");
}

void TestEntryEditing::calendarClick_onNextMonthsDay_savesSwitchesAndMarks()
{
    WriteFile(Path("Diary20264.xml"), MonthXml("<ARTICLE DATE=\"2\"><TEXT>april</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("typed, then the calendar clicked");
    auto *grid = window.Calendar()->findChild<CalendarGrid *>();
    QVERIFY(grid);
    int cell = 1;
    while (cell <= 42 && grid->CellDate(cell) != QDate(2026, 4, 2))
        ++cell;
    QVERIFY2(cell <= 42, "the March grid shows 2 April");
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(cell).center());
    QVERIFY(ReadFile(Path("Diary20263.xml")).contains("<TEXT>typed, then the calendar clicked</TEXT>"));
    QCOMPARE(window.form->LoadedMonth(), QString("4"));
    QCOMPARE(window.TitleTexts(), QStringList({ "april" }));
    QVERIFY(window.Calendar()->DayBold(QDate(2026, 4, 2)));
    QVERIFY(window.messages.isEmpty());
}

void TestEntryEditing::switch_intoMonthWithoutFile_andBack_leavesItsFile()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Pick(QDate(2026, 4, 30));
    QVERIFY(!QFile::exists(Path("Diary20264.xml")));
    window.Pick(QDate(2026, 3, 1));
    const QByteArray april = ReadFile(Path("Diary20264.xml"));
    QVERIFY(april.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"));
    QVERIFY(april.contains("<DIARY/>") || april.contains("<DIARY></DIARY>"));
    QCOMPARE(window.form->LoadedYear(), QString("2026"));
    QCOMPARE(window.form->LoadedMonth(), QString("3"));
}

void TestEntryEditing::sameMonthPick_savesNothing()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"20\"><TEXT>twentieth</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("unsaved");
    window.Calendar()->setFocus();
    window.Pick(QDate(2026, 3, 20));
    QVERIFY(!ReadFile(Path("Diary20263.xml")).contains("unsaved"));
    QCOMPARE(window.TitleTexts(), QStringList({ "twentieth" }));
    window.Pick(QDate(2026, 3, 9));
    QCOMPARE(window.TitleTexts(), QStringList({ "unsaved" }));
}

void TestEntryEditing::switch_failedSave_staysInTheMonth()
{
    auto dir = std::make_unique<QTemporaryDir>();
    const QString path = dir->path();
    Window window(path, QDate(2026, 3, 9));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("must survive");
    window.Calendar()->setFocus();
    dir.reset();
    window.Pick(QDate(2026, 4, 2));
    QCOMPARE(window.messages.size(), 1);
    QCOMPARE(window.Calendar()->Value(), QDate(2026, 3, 9));
    QCOMPARE(window.form->LoadedMonth(), QString("3"));
    QCOMPARE(window.TitleTexts(), QStringList({ "must survive" }));

    QVERIFY(QDir().mkpath(path));
    window.Pick(QDate(2026, 4, 2));
    QCOMPARE(window.form->LoadedMonth(), QString("4"));
    QVERIFY(ReadFile(path + "/Diary20263.xml").contains("must survive"));
    QDir(path).removeRecursively();
}

// A month whose 1st stands in the given grid cell, searched from 2026 on. This calendar always
// shows the 1st in its first row, so cells 1 to 7 are all there is.
static QDate MonthWithFirstInCell(CalDiary *calendar, int cell)
{
    for (QDate month(2026, 1, 1); month.year() < 2040; month = month.addMonths(1)) {
        calendar->SetValue(month);
        if (calendar->VisibleDays(cell) == month)
            return month;
    }
    return {};
}

void TestEntryEditing::markDays_marksDaysWithEntries_data()
{
    QTest::addColumn<int>("firstCell");
    QTest::newRow("1st in the first column") << 1;
    QTest::newRow("1st in the seventh column") << 7;
}

void TestEntryEditing::markDays_marksDaysWithEntries()
{
    QFETCH(int, firstCell);
    Window &window = Open();
    const QDate month = MonthWithFirstInCell(window.Calendar(), firstCell);
    QVERIFY(month.isValid());
    WriteFile(Path(QString("Diary%1%2.xml").arg(month.year()).arg(month.month())),
              MonthXml("<ARTICLE DATE=\"1\"><TEXT>a</TEXT></ARTICLE><ARTICLE DATE=\"2\"/>"
                       "<ARTICLE DATE=\"05\"><TEXT>b</TEXT></ARTICLE><ARTICLE DATE=\"x\"><TEXT>c</TEXT></ARTICLE>"
                       "<ARTICLE DATE=\"31\"><TEXT>d</TEXT></ARTICLE><ARTICLE DATE=\"0\"><TEXT>e</TEXT></ARTICLE>"));
    QVERIFY(window.ShowAndActivate());
    window.Pick(month.addDays(3));
    const int last = month.daysInMonth();
    QVERIFY(window.Calendar()->DayBold(month));
    QVERIFY(!window.Calendar()->DayBold(month.addDays(1)));
    QVERIFY(window.Calendar()->DayBold(month.addDays(4)));
    QCOMPARE(window.Calendar()->DayBold(month.addDays(30)), last == 31);
    QVERIFY(!window.Calendar()->DayBold(month.addDays(last)));
    QVERIFY(!window.Calendar()->DayBold(month.addDays(-1)));
    QVERIFY(window.messages.isEmpty());
}

void TestEntryEditing::markDays_marksAreNeverCleared()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>only</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    QVERIFY(!window.Calendar()->DayBold(QDate(2026, 3, 9)));
    emit window.Calendar()->Clicked();
    QVERIFY(window.Calendar()->DayBold(QDate(2026, 3, 9)));
    window.ClickTitle(0);
    window.Click("BtnDel");
    emit window.Calendar()->Clicked();
    QVERIFY(window.Calendar()->DayBold(QDate(2026, 3, 9)));
}

QTEST_MAIN(TestEntryEditing)
#include "tst_entryediting.moc"
