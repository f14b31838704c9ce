#include "calendar/caldiary.h"
#include "calendar/calendargrid.h"
#include "mainwindow/mainform.h"
#include "store/journal/workjournal.h"
#include "store/month/diarymonth.h"

#include <QFile>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

// How long the main window's handlings take on large months. Run with -median to get medians. With
// bench/libnoterra_slowsync.so preloaded every sync takes 200 ms: typing and writing back must not
// take longer for it, since the journal of the unsaved work is written on a thread of its own.
class BenchMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listDay_dayOf1000Entries();
    void btnNew_dayOf1000Entries();
    void keystroke_dayOf1000Entries();
    void writeBack_dayOf1000Entries();
    void monthSwitch_between31x100Months();
    void markDays_31x100Month();
    void journalSnapshot_31x100Month();

private:
    static QByteArray Month(int days, int entriesPerDay);
    MainForm *OpenOn(const QDate &today);

    QTemporaryDir m_dir;
    QTemporaryDir m_state;
    std::unique_ptr<MainForm> m_form;
};

QByteArray BenchMainForm::Month(int days, int entriesPerDay)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><DIARY>");
    for (int day = 1; day <= days; ++day) {
        xml += QStringLiteral("<ARTICLE DATE=\"%1\">").arg(day);
        for (int entry = 0; entry < entriesPerDay; ++entry)
            xml += QStringLiteral("<TEXT>%1日の日記 %2 番目\\n今日は晴れ。Sunny day, walked to the park.</TEXT>")
                       .arg(day)
                       .arg(entry);
        xml += QStringLiteral("</ARTICLE>");
    }
    xml += QStringLiteral("</DIARY>");
    QStringEncoder shiftJis("Shift_JIS");
    if (!shiftJis.isValid())
        qFatal("Qt cannot encode Shift_JIS here");
    return shiftJis(xml);
}

void BenchMainForm::initTestCase()
{
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    // The journals go to a state folder of the benchmark's own.
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state.path()));
    write(QStringLiteral("Diary20261.xml"), Month(1, 1000));
    write(QStringLiteral("Diary20263.xml"), Month(31, 100));
    write(QStringLiteral("Diary20264.xml"), Month(31, 100));
}

MainForm *BenchMainForm::OpenOn(const QDate &today)
{
    // QtTest runs a benchmark's function more than once; the work that the window before left
    // unsaved must not come back in this one.
    m_form.reset();
    QDir(m_state.filePath(QStringLiteral("noterra"))).removeRecursively();
    m_form = std::make_unique<MainForm>(DiaryFolder(m_dir.path()), [today] { return today; });
    // A message box would wait for an answer that never comes.
    m_form->SetMessageSink([](MessageKind, const QString &, const QString &text) { qFatal("%s", qPrintable(text)); });
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        qFatal("the main window did not show");
    return m_form.get();
}

void BenchMainForm::listDay_dayOf1000Entries()
{
    MainForm *form = OpenOn(QDate(2026, 1, 1));
    QCOMPARE(form->findChild<QListWidget *>(QStringLiteral("ListTitle"))->count(), 1000);
    QBENCHMARK
    {
        form->ListDay();
    }
}

void BenchMainForm::btnNew_dayOf1000Entries()
{
    MainForm *form = OpenOn(QDate(2026, 1, 1));
    auto *button = form->findChild<QPushButton *>(QStringLiteral("BtnNew"));
    QBENCHMARK
    {
        button->click();
    }
}

void BenchMainForm::keystroke_dayOf1000Entries()
{
    MainForm *form = OpenOn(QDate(2026, 1, 1));
    form->findChild<QListWidget *>(QStringLiteral("ListTitle"))->setCurrentRow(500);
    auto *editor = form->findChild<QPlainTextEdit *>(QStringLiteral("TxtText"));
    QInputMethodEvent typing;
    typing.setCommitString(QStringLiteral("あ"));
    QBENCHMARK
    {
        QCoreApplication::sendEvent(editor, &typing);
    }
    QVERIFY(editor->toPlainText().startsWith(QStringLiteral("あ")));
}

void BenchMainForm::writeBack_dayOf1000Entries()
{
    MainForm *form = OpenOn(QDate(2026, 1, 1));
    auto *titles = form->findChild<QListWidget *>(QStringLiteral("ListTitle"));
    auto *editor = form->findChild<QPlainTextEdit *>(QStringLiteral("TxtText"));
    titles->setCurrentRow(500);
    QInputMethodEvent typing;
    typing.setCommitString(QStringLiteral("書き足し"));
    QBENCHMARK
    {
        QCoreApplication::sendEvent(editor, &typing);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(editor, &focusOut);
    }
    QVERIFY(form->findChild<DiaryMonth *>()->EntryText(500)->contains(QStringLiteral("書き足し")));
}

void BenchMainForm::monthSwitch_between31x100Months()
{
    MainForm *form = OpenOn(QDate(2026, 3, 10));
    CalDiary *calendar = form->Calendar();
    bool april = true;
    QBENCHMARK
    {
        const QDate date(2026, april ? 4 : 3, 10);
        calendar->SetValue(date);
        emit calendar->SelectionChanged(date);
        april = !april;
    }
    QCOMPARE(form->findChild<QListWidget *>(QStringLiteral("ListTitle"))->count(), 100);
}

void BenchMainForm::markDays_31x100Month()
{
    MainForm *form = OpenOn(QDate(2026, 3, 10));
    QBENCHMARK
    {
        emit form->Calendar()->Clicked();
    }
    QVERIFY(form->Calendar()->findChild<CalendarGrid *>()->IsMarked(QDate(2026, 3, 31)));
}

// What the window's thread spends to bring the journal up to date while a day of a large month is
// being edited; the disk's part is the writer's.
void BenchMainForm::journalSnapshot_31x100Month()
{
    MainForm *form = OpenOn(QDate(2026, 3, 10));
    form->findChild<QListWidget *>(QStringLiteral("ListTitle"))->setCurrentRow(50);
    auto *editor = form->findChild<QPlainTextEdit *>(QStringLiteral("TxtText"));
    QInputMethodEvent typing;
    typing.setCommitString(QStringLiteral("書き足し"));
    QCoreApplication::sendEvent(editor, &typing);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(editor, &focusOut);
    auto *journal = form->findChild<WorkJournal *>();
    QVERIFY(journal);
    QCoreApplication::sendEvent(editor, &typing);
    QBENCHMARK
    {
        journal->Now();
    }
    journal->Flush();
}

QTEST_MAIN(BenchMainForm)
#include "bench_mainform.moc"
