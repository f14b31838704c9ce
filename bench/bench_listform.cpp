#include "listwindow/listform.h"
#include "mainwindow/mainform.h"
#include "ui/application.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

constexpr int EntryCount = 10000;
const QDate Today(2026, 3, 15);

// Notes when the list's rows have been painted, whichever list window is open.
class PaintWatch : public QObject
{
public:
    bool painted = false;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->parent()
            && watched->parent()->objectName() == QLatin1String("ListArticle"))
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

}

// How long the list window takes on a month of 10,000 entries. Run with -median to get medians.
class BenchListForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void fillList_viaRefresh();
    void headerClick_titleFromEntryOrder();
    void headerClick_dayFromTitleOrder();
    void btnList_untilRowsPainted();

private:
    static QByteArray Month();
    ListForm *OpenList();
    void ClickHeader(int column);

    QTemporaryDir m_dir;
    std::unique_ptr<MainForm> m_form;
    ListForm *m_list = nullptr;
};

// Days begun in a scrambled order, entries with Japanese titles of varied beginnings, some of
// them of two lines.
QByteArray BenchListForm::Month()
{
    const QStringList words { QStringLiteral("会議"), QStringLiteral("買い物"), QStringLiteral("散歩"),
        QStringLiteral("Reading"), QStringLiteral("電話"), QStringLiteral("ゆうびん") };
    QRandomGenerator random(42);
    QList<int> days;
    for (int day = 1; day <= 31; ++day)
        days.append(day);
    std::shuffle(days.begin(), days.end(), random);
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><DIARY>");
    int entry = 0;
    for (int index = 0; index < days.size(); ++index) {
        xml += QStringLiteral("<ARTICLE DATE=\"%1\">").arg(days[index]);
        for (const int last = EntryCount * (index + 1) / days.size(); entry < last; ++entry)
            xml += QStringLiteral("<TEXT>%1 %2 について%3</TEXT>")
                       .arg(words[random.bounded(words.size())])
                       .arg(random.bounded(100000))
                       .arg(entry % 3 ? QStringLiteral("\\n二行目") : QString());
        xml += QStringLiteral("</ARTICLE>");
    }
    xml += QStringLiteral("</DIARY>");
    QStringEncoder shiftJis("Shift_JIS");
    if (!shiftJis.isValid())
        qFatal("Qt cannot encode Shift_JIS here");
    return shiftJis(xml);
}

void BenchListForm::initTestCase()
{
    // The program's own setting: Japanese locale, so titles are compared as Japanese text.
    PrepareApplication(*qApp);
    QFile file(m_dir.filePath(QStringLiteral("Diary20263.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(Month()) > 0);
}

void BenchListForm::init()
{
    m_form = std::make_unique<MainForm>(DiaryFolder(m_dir.path()), [] { return Today; });
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void BenchListForm::cleanup()
{
    m_list = nullptr;
    m_form.reset();
}

ListForm *BenchListForm::OpenList()
{
    QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("BtnList")), Qt::LeftButton);
    m_list = m_form->findChild<ListForm *>();
    if (!m_list || !QTest::qWaitForWindowExposed(m_list))
        qFatal("the list window did not show");
    return m_list;
}

void BenchListForm::ClickHeader(int column)
{
    QHeaderView *header = m_list->findChild<QTreeView *>(QStringLiteral("ListArticle"))->header();
    const QPoint centre(
        header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void BenchListForm::fillList_viaRefresh()
{
    auto *refresh = OpenList()->findChild<QPushButton *>(QStringLiteral("BtnRefresh"));
    QBENCHMARK
    {
        refresh->click();
    }
    QCOMPARE(m_list->findChild<QTreeView *>(QStringLiteral("ListArticle"))->model()->rowCount(), EntryCount);
}

void BenchListForm::headerClick_titleFromEntryOrder()
{
    OpenList();
    QBENCHMARK_ONCE
    {
        ClickHeader(1);
    }
}

void BenchListForm::headerClick_dayFromTitleOrder()
{
    OpenList();
    ClickHeader(1);
    QBENCHMARK_ONCE
    {
        ClickHeader(0);
    }
    const QAbstractItemModel *rows = m_list->findChild<QTreeView *>(QStringLiteral("ListArticle"))->model();
    QCOMPARE(rows->index(0, 0).data().toString(), QStringLiteral("1"));
}

void BenchListForm::btnList_untilRowsPainted()
{
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    auto *button = m_form->findChild<QPushButton *>(QStringLiteral("BtnList"));
    QBENCHMARK_ONCE
    {
        QTest::mouseClick(button, Qt::LeftButton);
        while (!watch.painted)
            QCoreApplication::processEvents();
    }
    qApp->removeEventFilter(&watch);
    QVERIFY(m_form->findChild<ListForm *>());
}

QTEST_MAIN(BenchListForm)
#include "bench_listform.moc"
