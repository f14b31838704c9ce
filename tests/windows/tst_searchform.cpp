#include "diaryfixture.h"
#include "searchwindow/searchplacement.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <QtTest>

using namespace DiaryFixture;

namespace {

// Ctrl+F in the shown main window; the search window once it is active, or null.
QWidget *OpenSearch(Window &window)
{
    if (!window.ShowAndActivate())
        return nullptr;
    QTest::keyClick(window.form.get(), Qt::Key_F, Qt::ControlModifier);
    auto *form = window.form->findChild<QWidget *>(QStringLiteral("SearchForm"));
    return form && WaitActive(form) ? form : nullptr;
}

QRect OnDesktop(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

}

// The search window driven as the user drives it: Ctrl+F in the main window, words arriving
// through the input method, Return on a result.
class TestSearchForm : public QObject
{
    Q_OBJECT

private slots:
    void placement_besideMainWindowNeverOverEditor_data();
    void placement_besideMainWindowNeverOverEditor();
    void conversionThenCommit_searchesCommittedWordsAndReturnOpensFirstMatch();
    void ctrlFInListWindow_bringsSearchBackWithWordsSelected();
    void lateCommitInTheEditor_isSearchedBeforeItIsWrittenBack();
    void diaryChangedElsewhere_resultsFollowWithoutActivation_data();
    void diaryChangedElsewhere_resultsFollowWithoutActivation();
    void orderAndYearControls_listAndJumpFromTheKeyboard_data();
    void orderAndYearControls_listAndJumpFromTheKeyboard();
};

void TestSearchForm::placement_besideMainWindowNeverOverEditor_data()
{
    QTest::addColumn<QRect>("mainWindow");
    QTest::addColumn<QRect>("editor");
    QTest::addColumn<QPoint>("placed");
    QTest::newRow("right") << QRect(100, 100, 580, 390) << QRect(300, 200, 360, 250) << QPoint(680, 100);
    QTest::newRow("right, moved up onto the screen")
        << QRect(100, 800, 580, 200) << QRect(300, 850, 360, 100) << QPoint(680, 660);
    QTest::newRow("left at the screen's right edge")
        << QRect(1300, 100, 580, 390) << QRect(1500, 200, 360, 250) << QPoint(850, 100);
    QTest::newRow("below a wide window") << QRect(0, 100, 1700, 390) << QRect(200, 200, 1400, 250) << QPoint(0, 490);
    QTest::newRow("above a wide window low down")
        << QRect(0, 500, 1700, 500) << QRect(200, 600, 1400, 350) << QPoint(0, 80);
    QTest::newRow("maximized: beside the editor")
        << QRect(0, 0, 1920, 1080) << QRect(200, 150, 1000, 700) << QPoint(1200, 150);
    QTest::newRow("no room anywhere: over the least of the editor")
        << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1000) << QPoint(0, 660);
}

void TestSearchForm::placement_besideMainWindowNeverOverEditor()
{
    QFETCH(QRect, mainWindow);
    QFETCH(QRect, editor);
    QTEST(SearchPlacement::Beside(mainWindow, editor, QSize(450, 420), QRect(0, 0, 1920, 1080)), "placed");
}

void TestSearchForm::conversionThenCommit_searchesCommittedWordsAndReturnOpensFirstMatch()
{
    QTemporaryDir directory;
    // ラーメン as character references, so that the file's bytes stay ASCII.
    WriteFile(directory.filePath(QStringLiteral("Diary20247.xml")),
        MonthXml(
            "<ARTICLE DATE=\"7\"><TEXT>one</TEXT><TEXT>lunch\\n&#x30E9;&#x30FC;&#x30E1;&#x30F3;</TEXT></ARTICLE>"));
    Window window(directory.path(), QDate(2026, 3, 15));
    // The offscreen screen is 800 pixels square: below the main window is the one place left.
    window.form->move(0, 0);
    QWidget *form = OpenSearch(window);
    QVERIFY(form);
    auto *field = form->findChild<QLineEdit *>(QStringLiteral("TxtSearch"));
    auto *results = form->findChild<QListView *>(QStringLiteral("ListResult"));
    auto *count = form->findChild<QLabel *>(QStringLiteral("LblCount"));
    QCOMPARE(QApplication::focusWidget(), field);
    const QString hint = count->text();

    QInputMethodEvent converting(QStringLiteral(u"らーめん"), {});
    QCoreApplication::sendEvent(field, &converting);
    // The search waits for a pause in typing that only a change of the field's text starts.
    for (const QTimer *pause : form->findChildren<QTimer *>())
        QVERIFY(!pause->isActive());
    QCOMPARE(field->text(), QString());
    QCOMPARE(count->text(), hint);

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral(u"らーめん"));
    QCoreApplication::sendEvent(field, &commit);
    QTRY_COMPARE(results->model()->rowCount(), 1);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(window.Calendar()->Value(), QDate(2024, 7, 7));
    QCOMPARE(window.SelectedRow(), 1);
    QCOMPARE(window.Editor()->textCursor().selectionStart(), 6);
    QCOMPARE(window.Editor()->textCursor().selectedText(), QStringLiteral(u"ラーメン"));
    QVERIFY(form->isVisible());
    QVERIFY(WaitActive(window.form.get()));
    QCOMPARE(QApplication::focusWidget(), window.Editor());
    QVERIFY(!form->frameGeometry().intersects(OnDesktop(window.Editor())));
}

void TestSearchForm::ctrlFInListWindow_bringsSearchBackWithWordsSelected()
{
    QTemporaryDir directory;
    Window window(directory.path(), QDate(2026, 3, 15));
    QWidget *form = OpenSearch(window);
    QVERIFY(form);
    auto *field = form->findChild<QLineEdit *>(QStringLiteral("TxtSearch"));
    QTest::keyClicks(field, "rain");
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(!form->isVisible());
    ListForm *list = window.OpenList();
    QVERIFY(list);
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(WaitActive(form));
    QCOMPARE(QApplication::focusWidget(), field);
    QCOMPARE(field->selectedText(), QStringLiteral("rain"));
}

// Some input methods commit into the editor after its window lost the activation: the text is on
// screen, not yet in its entry, and the search finds it all the same.
void TestSearchForm::lateCommitInTheEditor_isSearchedBeforeItIsWrittenBack()
{
    QTemporaryDir directory;
    Window window(directory.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("lunch ");
    QWidget *form = OpenSearch(window);
    QVERIFY(form);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("noodles"));
    QCoreApplication::sendEvent(window.Editor(), &commit);
    QCOMPARE(window.StoredText(0), QStringLiteral("lunch "));
    QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("TxtSearch")), "noodles");
    QTRY_COMPARE(form->findChild<QListView *>(QStringLiteral("ListResult"))->model()->rowCount(), 1);
}

void TestSearchForm::diaryChangedElsewhere_resultsFollowWithoutActivation_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("entry saved at a month switch") << "saved";
    QTest::newRow("month file added by another program") << "added";
    QTest::newRow("month file rewritten in place") << "rewritten";
}

// The search window stays open, not active, while the user works in the main window.
void TestSearchForm::diaryChangedElsewhere_resultsFollowWithoutActivation()
{
    QFETCH(QString, change);
    QTemporaryDir directory;
    const QString month = directory.filePath(QStringLiteral("Diary20245.xml"));
    if (change == u"rewritten")
        WriteFile(month, MonthXml("<ARTICLE DATE=\"5\"><TEXT>alpha</TEXT></ARTICLE>"));
    Window window(directory.path(), QDate(2026, 3, 15));
    QWidget *form = OpenSearch(window);
    QVERIFY(form);
    QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("TxtSearch")), "omega");
    auto *count = form->findChild<QLabel *>(QStringLiteral("LblCount"));
    QTRY_COMPARE(count->text(), QStringLiteral(u"見つかりませんでした。"));
    QVERIFY(window.ShowAndActivate());
    if (change == u"saved") {
        window.Click("BtnNew");
        window.Type("omega");
        window.Pick(QDate(2026, 2, 1));
        QCOMPARE(window.Calendar()->Value(), QDate(2026, 2, 1));
    } else {
        WriteFile(month, MonthXml("<ARTICLE DATE=\"5\"><TEXT>omega</TEXT></ARTICLE>"));
    }
    QTRY_COMPARE(form->findChild<QListView *>(QStringLiteral("ListResult"))->model()->rowCount(), 1);
    QVERIFY(!form->isActiveWindow());
}

void TestSearchForm::orderAndYearControls_listAndJumpFromTheKeyboard_data()
{
    QTest::addColumn<bool>("oldestFirst");
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("years");
    // The year chosen stays chosen when the order changes: the key goes to the other one.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("firstOfOtherYear");
    QTest::newRow("newest first at the start")
        << false << QStringLiteral(u"2024年7月9日(火) rain") << QStringLiteral(u"2024年　2 件|2023年　1 件")
        << int(Qt::Key_Down) << 2;
    QTest::newRow("oldest first, chosen from the keyboard")
        << true << QStringLiteral(u"2023年7月7日(金) rain") << QStringLiteral(u"2023年　1 件|2024年　2 件")
        << int(Qt::Key_Up) << 0;
}

void TestSearchForm::orderAndYearControls_listAndJumpFromTheKeyboard()
{
    QTemporaryDir directory;
    WriteFile(directory.filePath(QStringLiteral("Diary20237.xml")),
        MonthXml("<ARTICLE DATE=\"7\"><TEXT>rain</TEXT></ARTICLE>"));
    WriteFile(directory.filePath(QStringLiteral("Diary20247.xml")),
        MonthXml("<ARTICLE DATE=\"3\"><TEXT>rain</TEXT></ARTICLE><ARTICLE DATE=\"9\"><TEXT>rain</TEXT></ARTICLE>"));
    // The month on screen is searched from the window, in its place in either order.
    Window window(directory.path(), QDate(2024, 7, 3));
    QWidget *form = OpenSearch(window);
    QVERIFY(form);
    auto *field = form->findChild<QLineEdit *>(QStringLiteral("TxtSearch"));
    QTest::keyClicks(field, "rain");
    auto *results = form->findChild<QListView *>(QStringLiteral("ListResult"));
    QTRY_COMPARE(results->model()->rowCount(), 3);
    QFETCH(bool, oldestFirst);
    if (oldestFirst) {
        QTest::keyClick(field, Qt::Key_Tab);
        auto *order = qobject_cast<QComboBox *>(QApplication::focusWidget());
        QVERIFY(order);
        QCOMPARE(order->accessibleName(), QStringLiteral(u"並べる順"));
        QTest::keyClick(order, Qt::Key_Down);
    }
    QFETCH(QString, firstRow);
    QTRY_COMPARE(results->model()->index(0, 0).data().toString(), firstRow);
    auto *years = form->findChild<QComboBox *>(QStringLiteral("CmbYear"));
    QTEST(years->itemText(0) + u'|' + years->itemText(1), "years");
    QTest::keyClick(form, Qt::Key_Y, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), years);
    QFETCH(int, key);
    QTest::keyClick(years, Qt::Key(key));
    QTEST(results->currentIndex().row(), "firstOfOtherYear");
}

QTEST_MAIN(TestSearchForm)
#include "tst_searchform.moc"
