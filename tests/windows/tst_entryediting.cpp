#include "diaryfixture.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <dlfcn.h>
#include <functional>
#include <thread>

using namespace DiaryFixture;

namespace {

// How the focus reaches the title list without the user choosing a title there.
enum class FocusWay
{
    TabFromCalendar,
    ActivationAfterClickOnEmptySpace,
    ActivationAfterListWindowRowClick
};

// How the focus leaves the editor for the title list's own window.
enum class EditorExit
{
    Tab,
    ClickOnListEmptySpace
};

// A month as the program writes it, so that a save that changes nothing gives the same bytes.
QByteArray SavedMonth(const QByteArray &articles)
{
    return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<DIARY>" + articles + "</DIARY>\n";
}

void ClickListEmptySpace(const Window &window)
{
    QWidget *viewport = window.Titles()->viewport();
    QVERIFY(!window.Titles()->itemAt(5, viewport->height() - 5));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(5, viewport->height() - 5));
}

// Another window of the application takes the activation, then the main window gets it back.
void ReactivateMainWindow(Window &window)
{
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(window.ShowAndActivate());
}

void TurnWheel(QWidget *widget, int notches)
{
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent event(centre, widget->mapToGlobal(centre), {}, QPoint(0, notches * 120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

}

// What another program does while a save syncs the new file of a month.
std::function<void()> WhileSaving;

extern "C" int fsync(int fd)
{
    static const auto sync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (WhileSaving && QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)).endsWith(".tmp"))
        std::exchange(WhileSaving, {})();
    return sync(fd);
}

Q_DECLARE_METATYPE(FocusWay)
Q_DECLARE_METATYPE(EditorExit)

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
    void btnEnd_afterABlankNewEntry_keepsAnEntryArrivedThereAndAsksNothing();
    void btnDel_withoutSelection_doesNothing();
    void btnDel_onlyEntry_leavesTheEmptyArticle();
    void btnDel_rightAfterEditing_deletesTheEditedEntry();
    void btnDel_afterTheFocusAloneReachedTheList_deletesNothing_data();
    void btnDel_afterTheFocusAloneReachedTheList_deletesNothing();
    void writeBack_runsBeforeTheClickThatTookTheFocus();
    void writeBack_leavesTheScrolledListUnderThePointer();
    void writeBack_secondEditIsWrittenToo_data();
    void writeBack_secondEditIsWrittenToo();
    void writeBack_whenAnotherWindowIsActivated_data();
    void writeBack_whenAnotherWindowIsActivated();
    void writeBack_keepsLineBreaksAsMarkers();
    void writeBack_characterNoFileHolds_toldOnceBeforeSaving();
    void switch_savesExactlyTheMonthBeingLeft();
    void calendarClick_onNextMonthsDay_savesSwitchesAndMarks();
    void switch_intoMonthWithoutFile_andBack_leavesItsFile();
    void switch_fromAMonthOnlyLookedAt_keepsWhatHappenedElsewhere_data();
    void switch_fromAMonthOnlyLookedAt_keepsWhatHappenedElsewhere();
    void sameMonthPick_savesNothing();
    void switch_failedSave_staysInTheMonth();
    void switch_intoUnreadableMonth_showsItsDayBeforeTheNotice();
    void switch_intoMonthStillBeingWritten_readsItWhole();
    void unsavedChanges_setByChangesClearedBySaves_data();
    void unsavedChanges_setByChangesClearedBySaves();
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
    QVERIFY(!window.Month()->HasSelectedDay());
    QVERIFY(!window.Editor()->placeholderText().isEmpty());
    window.Click("BtnNew");
    QVERIFY(window.Editor()->placeholderText().isEmpty());
    QVERIFY(window.Month()->HasSelectedDay());
    QCOMPARE(window.Month()->Rows().back().dayText, QString("9"));
    QCOMPARE(window.TitleTexts(), QStringList({ "<新規>" }));
    QCOMPARE(window.SelectedRow(), 0);
    QCOMPARE(window.Month()->CurText(), 0);
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
    QCOMPARE(window.Month()->CurText(), 1);
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
    QVERIFY(
        ReadFile(Path("Diary20263.xml"))
            .contains("<ARTICLE DATE=\"9\"><TEXT>a</TEXT><TEXT>c</TEXT></ARTICLE><ARTICLE DATE=\"9\"><TEXT>b</TEXT>"));
}

// Another program writes an entry for the day while the user's 新規 there is still blank.
void TestEntryEditing::btnEnd_afterABlankNewEntry_keepsAnEntryArrivedThereAndAsksNothing()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>there</TEXT></ARTICLE>"));
    window.answer = SaveAnswer::SaveAndQuit;
    window.Click("BtnEnd");
    QVERIFY(ReadFile(Path("Diary20263.xml")).contains("<ARTICLE DATE=\"9\"><TEXT>there</TEXT></ARTICLE>"));
    QCOMPARE(window.questions, QStringList());
}

void TestEntryEditing::btnDel_withoutSelection_doesNothing()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>a</TEXT><TEXT>b</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnDel");
    QCOMPARE(window.TitleTexts(), QStringList({ "a", "b" }));
    QCOMPARE(window.Month()->DayEntries().size(), size_t(2));
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
    QVERIFY(window.Month()->HasSelectedDay());
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

void TestEntryEditing::btnDel_afterTheFocusAloneReachedTheList_deletesNothing_data()
{
    QTest::addColumn<FocusWay>("way");
    QTest::newRow("Tab from the calendar") << FocusWay::TabFromCalendar;
    QTest::newRow("activation after a click on the empty space") << FocusWay::ActivationAfterClickOnEmptySpace;
    QTest::newRow("activation after a list window row click") << FocusWay::ActivationAfterListWindowRowClick;
}

void TestEntryEditing::btnDel_afterTheFocusAloneReachedTheList_deletesNothing()
{
    QFETCH(FocusWay, way);
    QTemporaryDir dir;
    const QByteArray month = SavedMonth("<ARTICLE DATE=\"12\"><TEXT>first12</TEXT><TEXT>second12</TEXT></ARTICLE>"
                                        "<ARTICLE DATE=\"15\"><TEXT>today1</TEXT></ARTICLE>");
    WriteFile(dir.filePath("Diary20263.xml"), month);
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    switch (way) {
    case FocusWay::TabFromCalendar:
        QTRY_VERIFY(window.Calendar()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        break;
    case FocusWay::ActivationAfterClickOnEmptySpace:
        ClickListEmptySpace(window);
        ReactivateMainWindow(window);
        break;
    case FocusWay::ActivationAfterListWindowRowClick: {
        ListForm *list = window.OpenList();
        QVERIFY(list);
        window.form->activateWindow();
        QVERIFY(WaitActive(window.form.get()));
        window.ClickTitle(0);
        list->activateWindow();
        QVERIFY(WaitActive(list));
        ClickListRow(list, 0);
        QCOMPARE(window.TitleTexts(), QStringList({ "first12", "second12" }));
        QVERIFY(window.ShowAndActivate());
        break;
    }
    }
    QVERIFY(window.Titles()->hasFocus());
    QCOMPARE(window.SelectedRow(), -1);
    QVERIFY(window.Editor()->isReadOnly());
    QVERIFY(window.Editor()->toPlainText().isEmpty());
    window.Click("BtnDel");
    window.Click("BtnEnd");
    QCOMPARE(ReadFile(dir.filePath("Diary20263.xml")), month);
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

// The wheel moves the list while the editor keeps the focus; the click that takes the focus from
// the editor opens the row it lands on, and 削除 removes that one.
void TestEntryEditing::writeBack_leavesTheScrolledListUnderThePointer()
{
    QTemporaryDir dir;
    QByteArray entries;
    QStringList left;
    for (int entry = 1; entry <= 12; ++entry) {
        entries += "<TEXT>entry" + QByteArray::number(entry) + "</TEXT>";
        left.append(QString("entry%1").arg(entry));
    }
    left.first() += "x";
    left.removeLast();
    WriteFile(dir.filePath("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\">" + entries + "</ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 9));
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    window.Type("x");
    const QScrollBar *scroll = window.Titles()->verticalScrollBar();
    QVERIFY2(scroll->maximum() > 0, "the twelve titles do not all fit");
    TurnWheel(window.Titles()->viewport(), -12);
    QCOMPARE(scroll->value(), scroll->maximum());
    QVERIFY(window.Editor()->hasFocus());
    window.ClickTitle(11);
    QCOMPARE(scroll->value(), scroll->maximum());
    QCOMPARE(window.SelectedRow(), 11);
    QCOMPARE(window.Editor()->toPlainText(), QString("entry12"));
    window.Click("BtnDel");
    QCOMPARE(window.TitleTexts(), left);
}

void TestEntryEditing::writeBack_secondEditIsWrittenToo_data()
{
    QTest::addColumn<EditorExit>("exit");
    QTest::newRow("Tab") << EditorExit::Tab;
    QTest::newRow("click on the list's empty space") << EditorExit::ClickOnListEmptySpace;
}

void TestEntryEditing::writeBack_secondEditIsWrittenToo()
{
    QFETCH(EditorExit, exit);
    const auto leaveEditor = [&exit](const Window &window) {
        if (exit == EditorExit::Tab)
            QTest::keyClick(window.Editor(), Qt::Key_Tab);
        else
            ClickListEmptySpace(window);
        QVERIFY(!window.Editor()->hasFocus());
    };
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("first");
    leaveEditor(window);
    QCOMPARE(window.TitleTexts(), QStringList({ "first" }));
    QCOMPARE(window.SelectedRow(), 0);
    QVERIFY(!window.Editor()->isReadOnly());
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    QVERIFY(window.Editor()->hasFocus());
    window.Type(" second");
    leaveEditor(window);
    QCOMPARE(window.TitleTexts(), QStringList({ "first second" }));
    QCOMPARE(window.StoredText(0), QString("first second"));
}

void TestEntryEditing::writeBack_whenAnotherWindowIsActivated_data()
{
    QTest::addColumn<QString>("preedit");
    QTest::addColumn<QString>("shown");
    QTest::newRow("committed") << QString() << QString("typed before switching windows");
    // Some input methods commit an open conversion only after the window has lost the focus;
    // the conversion stands before the last committed character, where the cursor was moved.
    QTest::newRow("conversion open") << QString("日記") << QString("typed before switching window日記s");
}

void TestEntryEditing::writeBack_whenAnotherWindowIsActivated()
{
    QFETCH(QString, preedit);
    QFETCH(QString, shown);
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("typed before switching windows");
    if (!preedit.isEmpty()) {
        QTest::keyClick(window.Editor(), Qt::Key_Left);
        QInputMethodEvent conversion(preedit, {});
        QCoreApplication::sendEvent(window.Editor(), &conversion);
    }
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_COMPARE(window.StoredText(0), shown);
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
    QCOMPARE(window.StoredText(0), QString("買い物\\n牛乳"));
    QCOMPARE(window.TitleTexts().first(), QString("買い物"));
    window.ClickTitle(0);
    QCOMPARE(window.Editor()->toPlainText(), QString("買い物\n牛乳"));
}

void TestEntryEditing::writeBack_characterNoFileHolds_toldOnceBeforeSaving()
{
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("page\x0C\x01 break");
    window.Click("BtnNew");
    window.Type("x");
    window.ClickTitle(0);
    window.Type("more");
    window.Click("BtnNew");
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().contains("U+000C、U+0001"), qPrintable(window.messages.first()));
    QVERIFY(!QFile::exists(Path("Diary20263.xml")));
    QVERIFY(window.StoredText(0).endsWith(QStringLiteral(u"\uFFFD\uFFFD break")));
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
    QCOMPARE(window.Month()->Month(), QString("4"));
    QCOMPARE(window.TitleTexts(), QStringList({ "april" }));
    QCOMPARE(window.StoredText(0), QString("april"));
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
    QCOMPARE(window.Month()->Month(), QString("4"));
    QCOMPARE(window.TitleTexts(), QStringList({ "april" }));
    QVERIFY(window.DayBold(QDate(2026, 4, 2)));
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
    QCOMPARE(window.Month()->Year(), QString("2026"));
    QCOMPARE(window.Month()->Month(), QString("3"));
}

void TestEntryEditing::switch_fromAMonthOnlyLookedAt_keepsWhatHappenedElsewhere_data()
{
    QTest::addColumn<QString>("notice");
    // March had no file: the other computer's March arrives while the window, leaving, writes March's first.
    QTest::newRow("a version arriving meanwhile") << QString();
    QTest::newRow("deleted elsewhere") << QString("「Diary20263.xml」は、ほかのコンピューターかプログラムで削除");
}

void TestEntryEditing::switch_fromAMonthOnlyLookedAt_keepsWhatHappenedElsewhere()
{
    QFETCH(QString, notice);
    const bool deleted = !notice.isEmpty();
    const QByteArray march = MonthXml("<ARTICLE DATE=\"5\"><TEXT>march</TEXT></ARTICLE>");
    if (deleted)
        WriteFile(Path("Diary20263.xml"), march);
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    if (deleted)
        QVERIFY(QFile::remove(Path("Diary20263.xml")));
    else
        WhileSaving = [this, &march] {
            WriteFile(Path("other.xml"), march);
            QCOMPARE(std::rename(qPrintable(Path("other.xml")), qPrintable(Path("Diary20263.xml"))), 0);
        };
    window.Pick(QDate(2026, 4, 9));
    QVERIFY(!WhileSaving && ReadFile(Path("Diary20263.xml")).contains("<TEXT>march</TEXT>"));
    QCOMPARE(window.messages.size(), notice.isEmpty() ? 0 : 1);
    QVERIFY2(window.messages.value(0).startsWith(notice), qPrintable(window.messages.value(0)));
    QCOMPARE(QDir(m_dir->path()).entryList({ "Diary20263.xml.conflict-*" }), QStringList());
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
    QCOMPARE(window.Month()->Month(), QString("3"));
    QCOMPARE(window.TitleTexts(), QStringList({ "must survive" }));

    // A new folder under the old name is not the diary's, and holds none of its months.
    QVERIFY(QDir().mkpath(path));
    window.Pick(QDate(2026, 4, 2));
    QCOMPARE(window.Month()->Month(), QString("3"));
    QVERIFY(QDir(path).isEmpty());
    QDir(path).removeRecursively();
}

// The notice is modal; behind it the window already shows the day of the month just opened.
void TestEntryEditing::switch_intoUnreadableMonth_showsItsDayBeforeTheNotice()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>march</TEXT></ARTICLE>"));
    WriteFile(dir.filePath("Diary20264.xml"), "<?xml version=\"1.0\"?><DIARY><ARTICLE DATE=\"9\"><TEXT>broken");
    Window window(dir.path(), QDate(2026, 3, 9));
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QStringList shown = { "no notice" };
    window.form->SetMessageSink([&window, &shown](MessageKind, const QString &, const QString &) {
        shown = window.TitleTexts() << window.Editor()->toPlainText();
    });
    window.Calendar()->setFocus();
    window.Pick(QDate(2026, 4, 9));
    QCOMPARE(shown, QStringList({ "" }));
}

// Another program writes April in pieces while the window goes there: April is read once it is whole.
void TestEntryEditing::switch_intoMonthStillBeingWritten_readsItWhole()
{
    const QByteArray whole = MonthXml("<ARTICLE DATE=\"9\"><TEXT>written elsewhere</TEXT></ARTICLE>");
    QFile file(Path("Diary20264.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QVERIFY(file.write(whole.left(20)) == 20);
    std::thread writer([&file, &whole] {
        for (qsizetype written = 20; written < whole.size(); written += 20) {
            QThread::msleep(150);
            file.write(whole.mid(written, 20));
        }
    });
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    window.Pick(QDate(2026, 4, 9));
    writer.join();
    QCOMPARE(window.TitleTexts(), QStringList({ "written elsewhere" }));
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(QDir(m_dir->path()).entryList({ "Diary20264*" }), QStringList({ "Diary20264.xml" }));
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

void TestEntryEditing::unsavedChanges_setByChangesClearedBySaves_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("looking around: titles, editor, another day, the list")
        << QStringList({ "title 0", "editor", "title 1", "day 16", "list" }) << false;
    QTest::newRow("an edit written back") << QStringList({ "title 0", "editor", "type", "title 1" }) << true;
    QTest::newRow("新規") << QStringList({ "new" }) << true;
    QTest::newRow("削除") << QStringList({ "title 0", "delete" }) << true;
    QTest::newRow("saved by a month switch") << QStringList({ "new", "type", "next month" }) << false;
    QTest::newRow("changed in the next month") << QStringList({ "next month", "new" }) << true;
    QTest::newRow("saved by 保管しておわり") << QStringList({ "title 0", "delete", "end" }) << false;
}

void TestEntryEditing::unsavedChanges_setByChangesClearedBySaves()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, unsaved);
    QTemporaryDir dir;
    WriteFile(dir.filePath("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"15\"><TEXT>a</TEXT><TEXT>b</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    for (const QString &step : steps) {
        if (step.startsWith("title "))
            window.ClickTitle(step.back().digitValue());
        else if (step == "editor")
            QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
        else if (step == "type")
            window.Type("x");
        else if (step == "new")
            window.Click("BtnNew");
        else if (step == "delete")
            window.Click("BtnDel");
        else if (step == "list")
            window.Click("BtnList");
        else if (step == "day 16")
            window.Pick(QDate(2026, 3, 16));
        else if (step == "next month")
            window.Pick(QDate(2026, 4, 1));
        else if (step == "end")
            window.Click("BtnEnd");
        else
            QFAIL(qPrintable("unknown step " + step));
    }
    QCOMPARE(window.Month()->HasUnsavedWork(), unsaved);
    QVERIFY(window.messages.isEmpty());
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
    QVERIFY(window.DayBold(month));
    QVERIFY(!window.DayBold(month.addDays(1)));
    QVERIFY(window.DayBold(month.addDays(4)));
    QCOMPARE(window.DayBold(month.addDays(30)), last == 31);
    QVERIFY(!window.DayBold(month.addDays(last)));
    QVERIFY(!window.DayBold(month.addDays(-1)));
    QVERIFY(window.messages.isEmpty());
}

void TestEntryEditing::markDays_marksAreNeverCleared()
{
    WriteFile(Path("Diary20263.xml"), MonthXml("<ARTICLE DATE=\"9\"><TEXT>only</TEXT></ARTICLE>"));
    Window &window = Open();
    QVERIFY(window.ShowAndActivate());
    QVERIFY(!window.DayBold(QDate(2026, 3, 9)));
    emit window.Calendar()->Clicked();
    QVERIFY(window.DayBold(QDate(2026, 3, 9)));
    window.ClickTitle(0);
    window.Click("BtnDel");
    emit window.Calendar()->Clicked();
    QVERIFY(window.DayBold(QDate(2026, 3, 9)));
}

QTEST_MAIN(TestEntryEditing)
#include "tst_entryediting.moc"
