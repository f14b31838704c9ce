#include "diaryfixture.h"
#include "listwindow/listform.h"

#include <QHeaderView>
#include <QPointer>
#include <QTreeView>
#include <QtTest>

using namespace DiaryFixture;

namespace {

const QDate Today(2026, 3, 15);

// Days 10, 2, 31 and 4 begun in that order, a second ARTICLE for day 2 further on, and two
// DATEs another tool might write.
const QByteArray MixedMonth = "<ARTICLE DATE=\"10\"><TEXT>ten</TEXT></ARTICLE>"
                              "<ARTICLE DATE=\"2\"><TEXT>two b</TEXT><TEXT>two a</TEXT></ARTICLE>"
                              "<ARTICLE DATE=\"x\"><TEXT>bad</TEXT></ARTICLE>"
                              "<ARTICLE DATE=\"31\"><TEXT>Apple</TEXT></ARTICLE>"
                              "<ARTICLE><TEXT>none</TEXT></ARTICLE>"
                              "<ARTICLE DATE=\"4\"><TEXT>four</TEXT></ARTICLE>"
                              "<ARTICLE DATE=\"2\"><TEXT>zwei</TEXT></ARTICLE>";

QString MonthPath(const QString &directory, const QDate &date)
{
    return directory + QStringLiteral("/Diary%1%2.xml").arg(date.year()).arg(date.month());
}

}

// The list window: filling, sorting, refreshing, row clicks and its life beside the main window.
class TestListForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fillList_oneRowPerEntryInDocumentOrder_data();
    void fillList_oneRowPerEntryInDocumentOrder();
    void sortRefreshReopen_orderRows_data();
    void sortRefreshReopen_orderRows();
    void newEntry_listedOnlyAfterRefresh();
    void btnListWhileOpen_raisesWithoutRefilling();
    void closingMainWindow_closesList();
    void rowClick_selectsDayWithoutEntry();
    void rowClick_afterMonthSwitch_returnsToRowsMonth();
    void rowClick_dateNamingNoDay_doesNothing_data();
    void rowClick_dateNamingNoDay_doesNothing();
    void returnOnRow_choosesItLikeAClick_data();
    void returnOnRow_choosesItLikeAClick();
    void layout_rectanglesTabOrderAndHeaders();

private:
    static QTreeView *List(ListForm *list) { return list->findChild<QTreeView *>(QStringLiteral("ListArticle")); }
    static QStringList Rows(ListForm *list);
    static void ClickHeader(ListForm *list, int column);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestListForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QStringList TestListForm::Rows(ListForm *list)
{
    const QAbstractItemModel *model = List(list)->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString() + u'|' + model->index(row, 1).data().toString());
    return rows;
}

void TestListForm::ClickHeader(ListForm *list, int column)
{
    QHeaderView *header = List(list)->header();
    const QPoint centre(
        header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void TestListForm::fillList_oneRowPerEntryInDocumentOrder_data()
{
    QTest::addColumn<QByteArray>("articles");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("no ARTICLE") << QByteArray() << QStringList();
    QTest::newRow("ARTICLE without entries") << QByteArray("<ARTICLE DATE=\"3\"/>") << QStringList();
    QTest::newRow("three entries of a day in entry order")
        << QByteArray("<ARTICLE DATE=\"7\"><TEXT>c</TEXT><TEXT>a</TEXT><TEXT>b</TEXT></ARTICLE>")
        << QStringList { "7|c", "7|a", "7|b" };
    QTest::newRow("12th begun before the 4th")
        << QByteArray("<ARTICLE DATE=\"12\"><TEXT>x</TEXT></ARTICLE><ARTICLE DATE=\"4\"><TEXT>y</TEXT></ARTICLE>")
        << QStringList { "12|x", "4|y" };
    QTest::newRow("titles from stored text") << QByteArray(
        "<ARTICLE DATE=\"1\"><TEXT>Meeting\\nRoom 3</TEXT><TEXT>abcdefghijklmnopqrstuvwxy</TEXT>"
        "<TEXT></TEXT></ARTICLE>") << QStringList { "1|Meeting", "1|abcdefghijklmnopqrs", "1|" };
    QTest::newRow("odd DATEs shown as stored, both ARTICLEs of a day")
        << QByteArray("<ARTICLE DATE=\"05\"><TEXT>a</TEXT></ARTICLE><ARTICLE><TEXT>b</TEXT></ARTICLE>"
                      "<ARTICLE DATE=\"x\"><TEXT>c</TEXT></ARTICLE><ARTICLE DATE=\"05\"><TEXT>d</TEXT></ARTICLE>")
        << QStringList { "05|a", "|b", "x|c", "05|d" };
}

void TestListForm::fillList_oneRowPerEntryInDocumentOrder()
{
    QFETCH(QByteArray, articles);
    QFETCH(QStringList, rows);
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml(articles));
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    QCOMPARE(Rows(list), rows);
    QVERIFY(window.messages.isEmpty());
}

void TestListForm::sortRefreshReopen_orderRows_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("rows");
    const QStringList byDay { "2|two b", "2|two a", "2|zwei", "4|four", "10|ten", "31|Apple", "|none", "x|bad" };
    const QStringList byTitle { "31|Apple", "x|bad", "4|four", "|none", "10|ten", "2|two a", "2|two b", "2|zwei" };
    QTest::newRow("day: numeric, odd DATEs last") << QStringList { "day" } << byDay;
    QTest::newRow("day twice: not reversed") << QStringList { "day", "day" } << byDay;
    QTest::newRow("title") << QStringList { "title" } << byTitle;
    QTest::newRow("title then day: entry order within a day") << QStringList { "title", "day" } << byDay;
    QTest::newRow("title by Ctrl+2") << QStringList { "Ctrl+2" } << byTitle;
    QTest::newRow("Ctrl+2 then Ctrl+1") << QStringList { "Ctrl+2", "Ctrl+1" } << byDay;
    QTest::newRow("refresh keeps the sort") << QStringList { "title", "refresh" } << byTitle;
    QTest::newRow("reopening forgets the sort") << QStringList { "title", "close",
        "reopen" } << QStringList { "10|ten", "2|two b", "2|two a", "x|bad", "31|Apple", "|none", "4|four", "2|zwei" };
}

void TestListForm::sortRefreshReopen_orderRows()
{
    QFETCH(QStringList, actions);
    QFETCH(QStringList, rows);
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml(MixedMonth));
    Window window(m_dir->path(), Today);
    QPointer<ListForm> list = window.OpenList();
    QVERIFY(list);
    for (const QString &action : actions) {
        if (action == "day" || action == "title")
            ClickHeader(list, action == "day" ? 0 : 1);
        else if (action.startsWith("Ctrl+"))
            QTest::keySequence(list, QKeySequence(action));
        else if (action == "refresh")
            QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("BtnRefresh")), Qt::LeftButton);
        else if (action == "close")
            QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("BtnEnd")), Qt::LeftButton);
        else {
            QTRY_VERIFY(list.isNull());
            list = window.OpenList();
            QVERIFY(list);
        }
    }
    QCOMPARE(Rows(list), rows);
}

void TestListForm::newEntry_listedOnlyAfterRefresh()
{
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml("<ARTICLE DATE=\"3\"><TEXT>old</TEXT></ARTICLE>"));
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    window.Click("BtnNew");
    QCOMPARE(Rows(list), QStringList { "3|old" });
    QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("BtnRefresh")), Qt::LeftButton);
    QCOMPARE(Rows(list), (QStringList { "3|old", "15|" }));
}

void TestListForm::btnListWhileOpen_raisesWithoutRefilling()
{
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml(MixedMonth));
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    ClickHeader(list, 1);
    const QStringList rows = Rows(list);
    window.Click("BtnNew");
    window.form->activateWindow();
    QVERIFY(WaitActive(window.form.get()));
    window.Click("BtnList");
    QCOMPARE(window.form->findChildren<ListForm *>().size(), 1);
    QVERIFY(WaitActive(list));
    QCOMPARE(Rows(list), rows);
}

void TestListForm::closingMainWindow_closesList()
{
    Window window(m_dir->path(), Today);
    QPointer<ListForm> list = window.OpenList();
    QVERIFY(list);
    window.form->close();
    QVERIFY(!list->isVisible());
    QTRY_VERIFY(list.isNull());
}

void TestListForm::rowClick_selectsDayWithoutEntry()
{
    WriteFile(MonthPath(m_dir->path(), Today),
        MonthXml("<ARTICLE DATE=\"15\"><TEXT>today</TEXT></ARTICLE>"
                 "<ARTICLE DATE=\"5\"><TEXT>first</TEXT><TEXT>second</TEXT></ARTICLE>"));
    Window window(m_dir->path(), Today);
    QVERIFY(window.ShowAndActivate());
    window.Titles()->setCurrentRow(0);
    QCOMPARE(window.Editor()->toPlainText(), QStringLiteral("today"));
    ListForm *list = window.OpenList();
    QVERIFY(list);
    ClickListRow(list, 2);
    QCOMPARE(window.Calendar()->Value(), QDate(2026, 3, 5));
    QCOMPARE(window.TitleTexts(), (QStringList { "first", "second" }));
    QCOMPARE(window.SelectedRow(), -1);
    QVERIFY(window.Editor()->toPlainText().isEmpty());
    QCOMPARE(List(list)->currentIndex().row(), 2);
    QVERIFY(list->isActiveWindow());
    QVERIFY(window.messages.isEmpty());
}

void TestListForm::rowClick_afterMonthSwitch_returnsToRowsMonth()
{
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml("<ARTICLE DATE=\"20\"><TEXT>march</TEXT></ARTICLE>"));
    const QDate april(2026, 4, 20);
    WriteFile(MonthPath(m_dir->path(), april), MonthXml("<ARTICLE DATE=\"20\"><TEXT>april</TEXT></ARTICLE>"));
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    window.form->activateWindow();
    QVERIFY(WaitActive(window.form.get()));
    window.Pick(april);
    window.Click("BtnNew");
    window.Type("later");
    list->activateWindow();
    QVERIFY(WaitActive(list));
    ClickListRow(list, 0);
    QCOMPARE(window.Calendar()->Value(), QDate(2026, 3, 20));
    QCOMPARE(window.Month()->Month(), QStringLiteral("3"));
    QCOMPARE(window.TitleTexts(), QStringList { "march" });
    QVERIFY(ReadFile(MonthPath(m_dir->path(), april)).contains("<TEXT>later</TEXT>"));
    QVERIFY(list->isActiveWindow());
    QVERIFY(window.messages.isEmpty());
}

void TestListForm::rowClick_dateNamingNoDay_doesNothing_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QByteArray>("article");
    QTest::newRow("not a number") << Today << QByteArray("<ARTICLE DATE=\"x\"><TEXT>b</TEXT></ARTICLE>");
    QTest::newRow("missing") << Today << QByteArray("<ARTICLE><TEXT>b</TEXT></ARTICLE>");
    QTest::newRow("zero") << Today << QByteArray("<ARTICLE DATE=\"0\"><TEXT>b</TEXT></ARTICLE>");
    QTest::newRow("beyond any month") << Today << QByteArray("<ARTICLE DATE=\"40\"><TEXT>b</TEXT></ARTICLE>");
    QTest::newRow("31 in April") << QDate(2026, 4, 15) << QByteArray("<ARTICLE DATE=\"31\"><TEXT>b</TEXT></ARTICLE>");
}

void TestListForm::rowClick_dateNamingNoDay_doesNothing()
{
    QFETCH(QDate, today);
    QFETCH(QByteArray, article);
    WriteFile(MonthPath(m_dir->path(), today), MonthXml("<ARTICLE DATE=\"15\"><TEXT>today</TEXT></ARTICLE>" + article));
    Window window(m_dir->path(), today);
    QVERIFY(window.ShowAndActivate());
    window.Titles()->setCurrentRow(0);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    ClickListRow(list, 1);
    QCOMPARE(window.Calendar()->Value(), today);
    QCOMPARE(window.SelectedRow(), 0);
    QCOMPARE(window.Editor()->toPlainText(), QStringLiteral("today"));
    QVERIFY(window.messages.isEmpty());
}

void TestListForm::returnOnRow_choosesItLikeAClick_data()
{
    QTest::addColumn<QByteArray>("articles");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("chosen");
    const QByteArray twoDays
        = "<ARTICLE DATE=\"15\"><TEXT>today</TEXT></ARTICLE><ARTICLE DATE=\"5\"><TEXT>a</TEXT></ARTICLE>";
    QTest::newRow("Return") << twoDays << int(Qt::Key_Return) << Qt::KeyboardModifiers() << QDate(2026, 3, 5);
    QTest::newRow("keypad Enter") << twoDays << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << QDate(2026, 3, 5);
    QTest::newRow("Return with no rows") << QByteArray() << int(Qt::Key_Return) << Qt::KeyboardModifiers() << Today;
}

void TestListForm::returnOnRow_choosesItLikeAClick()
{
    QFETCH(QByteArray, articles);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, chosen);
    WriteFile(MonthPath(m_dir->path(), Today), MonthXml(articles));
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    List(list)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(List(list), Qt::Key_Down);
    QCOMPARE(window.Calendar()->Value(), Today);
    QTest::keyClick(List(list), Qt::Key(key), modifiers);
    QCOMPARE(window.Calendar()->Value(), chosen);
    QVERIFY(list->isActiveWindow());
    QVERIFY(window.messages.isEmpty());
}

void TestListForm::layout_rectanglesTabOrderAndHeaders()
{
    Window window(m_dir->path(), Today);
    ListForm *list = window.OpenList();
    QVERIFY(list);
    QCOMPARE(list->parentWidget(), window.form.get());
    // X11 keeps only a dialog-type window in front of its owner and hides it with the owner.
    QCOMPARE(list->windowType(), Qt::Dialog);
    QCOMPARE(list->windowHandle()->transientParent(), window.form->windowHandle());
    QVERIFY(!list->isModal());
    QCOMPARE(list->windowTitle(), QStringLiteral("一覧"));
    QCOMPARE(list->size(), QSize(305, 218));
    QVERIFY(list->windowIcon().availableSizes().contains(QSize(16, 16)));
    auto *end = list->findChild<QPushButton *>(QStringLiteral("BtnEnd"));
    auto *refresh = list->findChild<QPushButton *>(QStringLiteral("BtnRefresh"));
    QTreeView *view = List(list);
    QVERIFY(end && refresh && view);
    QCOMPARE(end->geometry(), QRect(232, 192, 65, 20));
    QCOMPARE(refresh->geometry(), QRect(112, 192, 89, 20));
    QCOMPARE(view->geometry(), QRect(0, 8, 305, 169));
    QCOMPARE(end->text(), QStringLiteral("閉じる"));
    QCOMPARE(refresh->text(), QStringLiteral("リフレッシュ"));
    QVERIFY(!end->autoDefault() && !end->isDefault() && !refresh->autoDefault() && !refresh->isDefault());
    QCOMPARE(QApplication::focusWidget(), end);
    // The focused button draws its focus frame only in a window marked for keyboard use.
    QVERIFY(list->testAttribute(Qt::WA_KeyboardFocusChange));
    QCOMPARE(end->nextInFocusChain(), refresh);
    QCOMPARE(refresh->nextInFocusChain(), view);
    QCOMPARE(view->model()->rowCount(), 0);
    QCOMPARE(view->model()->columnCount(), 2);
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("　　日付"));
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("　　　タイトル"));
    QCOMPARE(view->header()->sectionSize(0), 53);
    QCOMPARE(view->header()->sectionSize(1), 212);
    QVERIFY(view->header()->defaultAlignment() & Qt::AlignLeft);
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
}

QTEST_MAIN(TestListForm)
#include "tst_listform.moc"
