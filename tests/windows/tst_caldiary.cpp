#include "calendar/caldiary.h"
#include "calendar/calendargrid.h"
#include "ui/japanesefonts.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Records, in one list, the editor losing the focus and the calendar's notifications, so the
// order among them can be checked.
class OrderLog : public QObject
{
public:
    QStringList entries;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            entries << QStringLiteral("editor focus out");
        return QObject::eventFilter(watched, event);
    }
};

QString Selection(const QDate &date)
{
    return QStringLiteral("selection ") + date.toString(Qt::ISODate);
}

}

class TestCalDiary : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void visibleDays_followMonthLayout_data();
    void visibleDays_followMonthLayout();
    void clickCell_selectsDateShownThere_data();
    void clickCell_selectsDateShownThere();
    void stepButtons_reportDateOfNewMonth_data();
    void stepButtons_reportDateOfNewMonth();
    void keys_moveSelection_data();
    void keys_moveSelection();
    void userMoves_stopAtRangeEnds_data();
    void userMoves_stopAtRangeEnds();
    void setValue_clampsToRangeSilently_data();
    void setValue_clampsToRangeSilently();
    void setDay_clampsToMonthSilently_data();
    void setDay_clampsToMonthSilently();
    void markDays_keptAcrossMonths();
    void markDays_drawsCellDifferently();
    void weekdayHeader_japaneseFromSunday();
    void accessibleGrid_answersWhereAndWhat();
    void fixedRectangle_showsEverything();

private:
    void Show(const QDate &date);
    QToolButton *Button(const QString &name) const;
    CalendarGrid *Grid() const;

    QWidget *m_window = nullptr;
    QLineEdit *m_editor = nullptr;
    CalDiary *m_calendar = nullptr;
    OrderLog *m_log = nullptr;
};

void TestCalDiary::init()
{
    m_window = new QWidget;
    m_window->resize(400, 220);
    m_editor = new QLineEdit(m_window);
    m_editor->setGeometry(200, 48, 150, 24);
    m_calendar = new CalDiary(JapaneseFonts::CalendarFont(11), m_window);
    m_calendar->setGeometry(16, 40, 159, 148);
    m_log = new OrderLog;
    m_editor->installEventFilter(m_log);
    connect(m_calendar, &CalDiary::SelectionChanged, m_log,
        [this](const QDate &first) { m_log->entries << Selection(first); });
    connect(m_calendar, &CalDiary::Clicked, m_log, [this] { m_log->entries << QStringLiteral("clicked"); });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestCalDiary::cleanup()
{
    delete m_window;
    delete m_log;
}

void TestCalDiary::Show(const QDate &date)
{
    m_calendar->SetValue(date);
    m_editor->setFocus();
    QTRY_VERIFY(m_editor->hasFocus());
    m_log->entries.clear();
}

QToolButton *TestCalDiary::Button(const QString &name) const
{
    auto *button = m_calendar->findChild<QToolButton *>(name);
    if (!button)
        qFatal("no button %s", qPrintable(name));
    return button;
}

CalendarGrid *TestCalDiary::Grid() const
{
    return m_calendar->findChild<CalendarGrid *>();
}

void TestCalDiary::visibleDays_followMonthLayout_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QDate>("firstCell");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QDate>("lastCell");
    QTest::newRow("1st on Sunday, first column") << QDate(2026, 2, 10) << QDate(2026, 2, 1) << 0 << QDate(2026, 3, 14);
    QTest::newRow("1st on Saturday, last column") << QDate(2026, 8, 20) << QDate(2026, 7, 26) << 6 << QDate(2026, 9, 5);
    QTest::newRow("1st on Tuesday") << QDate(2026, 12, 7) << QDate(2026, 11, 29) << 2 << QDate(2027, 1, 9);
    QTest::newRow("lowest month") << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 1 << QDate(1753, 2, 10);
    QTest::newRow("highest month") << QDate(9999, 12, 31) << QDate(9999, 11, 28) << 3 << QDate(10000, 1, 8);
}

void TestCalDiary::visibleDays_followMonthLayout()
{
    QFETCH(QDate, shown);
    QFETCH(QDate, firstCell);
    QFETCH(int, offset);
    QFETCH(QDate, lastCell);
    m_calendar->SetValue(shown);
    QCOMPARE(m_calendar->VisibleDays(1), firstCell);
    QCOMPARE(m_calendar->VisibleDays(42), lastCell);
    QVERIFY(!m_calendar->VisibleDays(0).isValid());
    QVERIFY(!m_calendar->VisibleDays(43).isValid());
    int found = 7;
    for (int index = 1; index <= 7 && found == 7; ++index) {
        if (m_calendar->VisibleDays(index).day() == 1)
            found = index - 1;
    }
    QCOMPARE(found, offset);
    QCOMPARE(m_calendar->VisibleDays(offset + 1), QDate(shown.year(), shown.month(), 1));
}

void TestCalDiary::clickCell_selectsDateShownThere_data()
{
    QTest::addColumn<int>("cell");
    QTest::newRow("previous month, top-left") << 1;
    QTest::newRow("1st") << 3;
    QTest::newRow("middle") << 25;
    QTest::newRow("selected day") << 9;
    QTest::newRow("next month, bottom-right") << 42;
}

void TestCalDiary::clickCell_selectsDateShownThere()
{
    QFETCH(int, cell);
    Show(QDate(2026, 12, 7));
    const QDate shownThere = m_calendar->VisibleDays(cell);
    QTest::mouseClick(Grid(), Qt::LeftButton, {}, Grid()->CellRect(cell).center());
    QCOMPARE(m_calendar->Value(), shownThere);
    QVERIFY(m_calendar->hasFocus());
    QStringList expected { "editor focus out" };
    if (shownThere != QDate(2026, 12, 7))
        expected << Selection(shownThere);
    QCOMPARE(m_log->entries, expected << "clicked");
    QCOMPARE(m_calendar->VisibleDays(15).month(), shownThere.month());
}

void TestCalDiary::stepButtons_reportDateOfNewMonth_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("next month") << "BtnNextMonth" << QDate(2026, 3, 15) << QDate(2026, 4, 15);
    QTest::newRow("next month, day clamped") << "BtnNextMonth" << QDate(2026, 1, 31) << QDate(2026, 2, 28);
    QTest::newRow("previous month over new year") << "BtnPrevMonth" << QDate(2026, 1, 31) << QDate(2025, 12, 31);
    QTest::newRow("next year from leap day") << "BtnNextYear" << QDate(2024, 2, 29) << QDate(2025, 2, 28);
    QTest::newRow("previous year") << "BtnPrevYear" << QDate(2026, 6, 30) << QDate(2025, 6, 30);
}

void TestCalDiary::stepButtons_reportDateOfNewMonth()
{
    QFETCH(QString, button);
    QFETCH(QDate, start);
    QFETCH(QDate, expected);
    Show(start);
    QTest::mouseClick(Button(button), Qt::LeftButton);
    QVERIFY(m_calendar->hasFocus());
    QCOMPARE(m_log->entries, QStringList({ "editor focus out", Selection(expected), "clicked" }));
    QCOMPARE(m_calendar->Value(), expected);
    QCOMPARE(m_calendar->VisibleDays(15).month(), expected.month());
    QCOMPARE(m_calendar->findChild<QLabel *>("LblCaption")->text(),
        QStringLiteral("%1年%2月").arg(expected.year()).arg(expected.month()));
}

void TestCalDiary::keys_moveSelection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<bool>("clicked");
    const Qt::KeyboardModifiers none;
    QTest::newRow("right") << int(Qt::Key_Right) << none << QDate(2026, 3, 15) << QDate(2026, 3, 16) << false;
    QTest::newRow("up into last month") << int(Qt::Key_Up) << none << QDate(2026, 3, 3) << QDate(2026, 2, 24) << true;
    QTest::newRow("left into last month")
        << int(Qt::Key_Left) << none << QDate(2026, 3, 1) << QDate(2026, 2, 28) << true;
    QTest::newRow("page down, day clamped")
        << int(Qt::Key_PageDown) << none << QDate(2026, 1, 31) << QDate(2026, 2, 28) << true;
    QTest::newRow("ctrl page up") << int(Qt::Key_PageUp) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << QDate(2024, 2, 29) << QDate(2023, 2, 28) << true;
    QTest::newRow("home") << int(Qt::Key_Home) << none << QDate(2026, 3, 15) << QDate(2026, 3, 1) << false;
    QTest::newRow("end") << int(Qt::Key_End) << none << QDate(2026, 2, 10) << QDate(2026, 2, 28) << false;
}

void TestCalDiary::keys_moveSelection()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, start);
    QFETCH(QDate, expected);
    QFETCH(bool, clicked);
    Show(start);
    m_calendar->setFocus();
    m_log->entries.clear();
    QTest::keyClick(m_calendar, Qt::Key(key), modifiers);
    QStringList expectedLog { Selection(expected) };
    if (clicked)
        expectedLog << QStringLiteral("clicked");
    QCOMPARE(m_log->entries, expectedLog);
    QCOMPARE(m_calendar->Value(), expected);
}

void TestCalDiary::userMoves_stopAtRangeEnds_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("cell");
    QTest::newRow("previous month in January 1753") << QDate(1753, 1, 31) << "BtnPrevMonth" << 0 << 0;
    QTest::newRow("previous year in 1753") << QDate(1753, 12, 1) << "BtnPrevYear" << 0 << 0;
    QTest::newRow("next month in December 9999") << QDate(9999, 12, 1) << "BtnNextMonth" << 0 << 0;
    QTest::newRow("next year in 9999") << QDate(9999, 1, 1) << "BtnNextYear" << 0 << 0;
    QTest::newRow("left from the first date") << QDate(1753, 1, 1) << QString() << int(Qt::Key_Left) << 0;
    QTest::newRow("page up in January 1753") << QDate(1753, 1, 20) << QString() << int(Qt::Key_PageUp) << 0;
    QTest::newRow("down from 9999-12-28") << QDate(9999, 12, 28) << QString() << int(Qt::Key_Down) << 0;
    QTest::newRow("cell of 1752-12-31") << QDate(1753, 1, 5) << QString() << 0 << 1;
    QTest::newRow("cell of 10000-01-08") << QDate(9999, 12, 5) << QString() << 0 << 42;
}

void TestCalDiary::userMoves_stopAtRangeEnds()
{
    QFETCH(QDate, start);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, cell);
    Show(start);
    m_calendar->setFocus();
    QSignalSpy selections(m_calendar, &CalDiary::SelectionChanged);
    QSignalSpy clicks(m_calendar, &CalDiary::Clicked);
    if (!button.isEmpty()) {
        QVERIFY(!Button(button)->isEnabled());
        QTest::mouseClick(Button(button), Qt::LeftButton);
    } else if (key) {
        QTest::keyClick(m_calendar, Qt::Key(key));
    } else {
        QTest::mouseClick(Grid(), Qt::LeftButton, {}, Grid()->CellRect(cell).center());
    }
    QCOMPARE(m_calendar->Value(), start);
    QCOMPARE(selections.count(), 0);
    QCOMPARE(clicks.count(), 0);
}

void TestCalDiary::setValue_clampsToRangeSilently_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("other month") << QDate(2030, 7, 4) << QDate(2030, 7, 4);
    QTest::newRow("before 1753") << QDate(1700, 5, 5) << QDate(1753, 1, 1);
    QTest::newRow("after 9999") << QDate(10000, 1, 1) << QDate(9999, 12, 31);
    QTest::newRow("invalid keeps the selection") << QDate() << QDate(2026, 12, 7);
}

void TestCalDiary::setValue_clampsToRangeSilently()
{
    QFETCH(QDate, date);
    QFETCH(QDate, expected);
    Show(QDate(2026, 12, 7));
    QSignalSpy selections(m_calendar, &CalDiary::SelectionChanged);
    m_calendar->SetValue(date);
    QCOMPARE(m_calendar->Value(), expected);
    QCOMPARE(m_calendar->VisibleDays(15).month(), expected.month());
    QCOMPARE(selections.count(), 0);
}

void TestCalDiary::setDay_clampsToMonthSilently_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside the month") << QDate(2026, 2, 10) << 15 << 15;
    QTest::newRow("31 in February") << QDate(2026, 2, 10) << 31 << 28;
    QTest::newRow("30 in leap February") << QDate(2024, 2, 1) << 30 << 29;
    QTest::newRow("zero") << QDate(2026, 2, 10) << 0 << 1;
}

void TestCalDiary::setDay_clampsToMonthSilently()
{
    QFETCH(QDate, start);
    QFETCH(int, day);
    QFETCH(int, expected);
    Show(start);
    QSignalSpy selections(m_calendar, &CalDiary::SelectionChanged);
    m_calendar->SetDay(day);
    QCOMPARE(m_calendar->Value(), QDate(start.year(), start.month(), expected));
    QCOMPARE(m_calendar->Day(), expected);
    QCOMPARE(selections.count(), 0);
}

void TestCalDiary::markDays_keptAcrossMonths()
{
    const QDate marked(2026, 3, 20);
    Show(marked);
    m_calendar->MarkDays({ marked.day() });
    QTest::mouseClick(Button("BtnNextMonth"), Qt::LeftButton);
    m_calendar->MarkDays({ 21 });
    QVERIFY(Grid()->IsMarked(marked) && Grid()->IsMarked(QDate(2026, 4, 21)));
    QVERIFY(!Grid()->IsMarked(marked.addDays(1)));
    QCOMPARE(m_log->entries, QStringList({ "editor focus out", Selection(QDate(2026, 4, 20)), "clicked" }));
}

void TestCalDiary::markDays_drawsCellDifferently()
{
    Show(QDate(2026, 3, 1));
    const QImage before = Grid()->grab().toImage();
    m_calendar->MarkDays({ 21 });
    m_calendar->Refresh();
    const QImage after = Grid()->grab().toImage();
    // The grab holds device pixels; cells are laid out in logical ones.
    const qreal ratio = after.devicePixelRatio();
    const auto cell = [&](const QImage &image, int index) {
        const QRectF box = Grid()->CellRect(index);
        return image.copy(QRectF(box.topLeft() * ratio, box.size() * ratio).toRect());
    };
    QVERIFY(cell(before, 21) != cell(after, 21));
    QCOMPARE(cell(before, 22), cell(after, 22));
}

void TestCalDiary::weekdayHeader_japaneseFromSunday()
{
    QStringList captions;
    for (int column = 0; column < 7; ++column)
        captions << CalendarGrid::WeekdayCaption(column);
    QCOMPARE(captions, QStringList({ "日", "月", "火", "水", "木", "金", "土" }));
}

// Where the end-to-end test over the accessibility bus does not look: hit testing, a cell's place
// among the table's children, and the cells past the range's end.
void TestCalDiary::accessibleGrid_answersWhereAndWhat()
{
    Show(QDate(9999, 12, 31));
    m_calendar->MarkDays({ 24 });
    m_calendar->setFocus();
    QTRY_VERIFY(m_calendar->hasFocus());
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(Grid());
    QVERIFY(table && table->tableInterface());
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("9999年12月"));
    QCOMPARE(table->child(0)->role(), QAccessible::ColumnHeader);
    QAccessibleInterface *last = table->tableInterface()->cellAt(5, 6);
    QCOMPARE(last->text(QAccessible::Name), QStringLiteral("10000年1月8日 土曜日"));
    QVERIFY(last->state().disabled);
    QAccessibleInterface *selected = table->tableInterface()->selectedCells().value(0);
    QVERIFY(selected);
    QCOMPARE(selected->text(QAccessible::Name), QStringLiteral("9999年12月31日 金曜日"));
    QVERIFY(selected->state().selected && selected->state().focused && !selected->state().disabled);
    QAccessibleInterface *marked = table->tableInterface()->cellAt(3, 5);
    QCOMPARE(marked->text(QAccessible::Name), QStringLiteral("9999年12月24日 金曜日"));
    QCOMPARE(marked->text(QAccessible::Description), QStringLiteral("記事あり"));
    const QPoint centre = marked->rect().center();
    QCOMPARE(table->childAt(centre.x(), centre.y()), marked);
    QCOMPARE(table->indexOfChild(marked), 7 + 3 * 7 + 5);
}

void TestCalDiary::fixedRectangle_showsEverything()
{
    Show(QDate(9999, 12, 1));
    const QRect gridArea = Grid()->geometry();
    QVERIFY(m_calendar->rect().contains(gridArea));
    const int lineHeight = Grid()->fontMetrics().height();
    for (int cell : { 1, 7, 36, 42 }) {
        const QRect box = Grid()->CellRect(cell);
        QVERIFY2(Grid()->rect().contains(box), qPrintable(QString::number(cell)));
        QVERIFY(box.height() >= lineHeight);
        QVERIFY(box.width() >= Grid()->fontMetrics().horizontalAdvance(QStringLiteral("88")));
    }
    auto *caption = m_calendar->findChild<QLabel *>("LblCaption");
    QVERIFY(caption->width() >= caption->fontMetrics().horizontalAdvance(caption->text()));
    QVERIFY(m_calendar->rect().contains(caption->geometry()));
}

QTEST_MAIN(TestCalDiary)
#include "tst_caldiary.moc"
