#include "diaryfixture.h"
#include "queuedevents.h"

#include "mainwindow/sessionend.h"
#include "smalldisk.h"
#include "store/folder/folderwatcher.h"
#include "ui/application.h"
#include "ui/skypicture.h"
#include "usermessages/storeerror.h"

#include <QLabel>
#include <QtTest>

#include <sys/stat.h>

#include <cstdio>

using namespace DiaryFixture;

Q_DECLARE_METATYPE(SaveAnswer)

namespace {

// Stops a quit before the test's own application ends; filters installed later see it first.
class QuitCatcher : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::Quit; }
};

const QString MarchFile = QStringLiteral("Diary20263.xml");

// Opens the 15th's entry "keep" and types after it, leaving the editor focused: the edit is not
// written back yet.
void TypeIntoKeep(const Window &window)
{
    window.ClickTitle(0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    window.Editor()->moveCursor(QTextCursor::End);
    window.Type("more");
}

// The journals in the state folder of a test's own.
QStringList Journals(const QTemporaryDir &state)
{
    return QDir(state.filePath(QStringLiteral("noterra"))).entryList({ QStringLiteral("*.journal") }, QDir::Files);
}

// Points the journal at a state folder of the test's own for as long as it lives.
class OwnStateFolder : public QTemporaryDir
{
public:
    OwnStateFolder()
        : m_saved(qgetenv("XDG_STATE_HOME"))
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(path()));
    }
    ~OwnStateFolder() { qputenv("XDG_STATE_HOME", m_saved); }

private:
    QByteArray m_saved;
};

}

// The main window's layout, start-up, day view and save-and-exit.
class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void controls_haveTheirRectanglesAndCaptions_data();
    void controls_haveTheirRectanglesAndCaptions();
    void tabOrder_followsTheLayout();
    void window_hasItsFixedClientSizeTitleAndFocus();
    void background_isTheCompiledInSky();
    void startUp_showsTodayOfTodaysMonthWithoutSaving();
    void listDay_findsTheDaysArticle_data();
    void listDay_findsTheDaysArticle();
    void titleSelected_showsTheDecodedText();
    void btnEnd_writesTheMonthAndCloses();
    void btnEnd_writesJanuaryAsMonthOne();
    void closeBox_asksOnlyAboutUnsavedWork_data();
    void closeBox_asksOnlyAboutUnsavedWork();
    void sessionEnd_asksOnlyWhenAllowed_data();
    void sessionEnd_asksOnlyWhenAllowed();
    void btnEnd_failedSave_keepsWindowAndDocument();
    void journal_followsTheMovedDiaryAndNoOther();
    void journal_ofWorkAlreadySaved_goesWithoutAWord();
    void fullDisk_bothSavePoints_failKeepTheWorkAndSaveOnceThereIsRoom_data();
    void fullDisk_bothSavePoints_failKeepTheWorkAndSaveOnceThereIsRoom();
    void startUp_unreadableFile_isKeptAsideAndReported();
    void startUp_directoryInPlaceOfTheFile_isLeftAloneAndTheMonthCanBeLeft();
    void startUp_manyConflictCopies_namesTheFirstFewAndCountsTheRest();
    void monthWrittenInPlaceElsewhere_isShownOnlyOnceWhole();
    void syncToolsVersions_areFollowedAndNamedWhileTheWindowStaysActive();
    void conflictCopies_ownSaveNamedOnce_syncCopyTakenInAndNamed();
    void changeElsewhere_underAnOpenEntry_keepsItsPlaceAndWhatIsTyped_data();
    void changeElsewhere_underAnOpenEntry_keepsItsPlaceAndWhatIsTyped();
    void unloadedMonth_refusesEditingInJapanese_data();
    void unloadedMonth_refusesEditingInJapanese();
    void prepareApplication_givesQtsOwnTextsInJapanese();

private:
    QTemporaryDir m_dir;
};

void TestMainForm::controls_haveTheirRectanglesAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rectangle");
    QTest::addColumn<QString>("caption");
    QTest::newRow("CalDiary") << "CalDiary" << QRect(16, 40, 159, 148) << QString();
    QTest::newRow("ListTitle") << "ListTitle" << QRect(8, 216, 169, 92) << QString();
    QTest::newRow("BtnNew") << "BtnNew" << QRect(16, 320, 73, 20) << "新規";
    QTest::newRow("TxtText") << "TxtText" << QRect(200, 48, 353, 289) << QString();
    QTest::newRow("lblListTitle") << "lblListTitle" << QRect(16, 200, 97, 17) << "タイトルリスト";
    QTest::newRow("BtnEnd") << "BtnEnd" << QRect(440, 16, 113, 20) << "保管しておわり";
    QTest::newRow("BtnDel") << "BtnDel" << QRect(96, 320, 73, 20) << "削除";
    QTest::newRow("BtnList") << "BtnList" << QRect(32, 8, 129, 20) << "一覧";
}

void TestMainForm::controls_haveTheirRectanglesAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(QRect, rectangle);
    QFETCH(QString, caption);
    Window window(m_dir.path(), QDate(2026, 3, 15));
    auto *control = window.form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), window.form.get());
    QCOMPARE(control->geometry(), rectangle);
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
    }
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), caption);
        QVERIFY(label->font().bold());
    }
}

void TestMainForm::tabOrder_followsTheLayout()
{
    Window window(m_dir.path(), QDate(2026, 3, 15));
    const QStringList expected = { "CalDiary", "ListTitle", "BtnNew", "TxtText", "BtnEnd", "BtnDel", "BtnList" };
    for (int i = 0; i < expected.size(); ++i) {
        QWidget *from = window.form->findChild<QWidget *>(expected[i]);
        QWidget *to = from->nextInFocusChain();
        // The calendar may hold focusable parts of its own; skip past them.
        while (to != window.form.get() && to->focusPolicy() == Qt::NoFocus)
            to = to->nextInFocusChain();
        while (from->isAncestorOf(to))
            to = to->nextInFocusChain();
        if (i + 1 < expected.size())
            QCOMPARE(to->objectName(), expected[i + 1]);
    }
    QVERIFY(window.Editor()->tabChangesFocus());
}

void TestMainForm::window_hasItsFixedClientSizeTitleAndFocus()
{
    Window window(m_dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    QTRY_COMPARE(QApplication::focusWidget(), window.Calendar());
    QCOMPARE(window.form->size(), QSize(565, 353));
    QCOMPARE(window.form->minimumSize(), window.form->maximumSize());
    QCOMPARE(window.form->windowTitle(), QString("Noterra"));
    QVERIFY(!window.form->windowIcon().isNull());
    QCOMPARE(window.Editor()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(window.Editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// Between the top buttons nothing covers the picture.
void TestMainForm::background_isTheCompiledInSky()
{
    const QPoint uncovered(250, 10);
    Window window(m_dir.path(), QDate(2026, 3, 15));
    const QImage sky = SkyPicture::Load(1);
    QVERIFY(!sky.isNull());
    QCOMPARE(window.form->grab().toImage().pixel(uncovered), sky.pixel(uncovered));
}

void TestMainForm::startUp_showsTodayOfTodaysMonthWithoutSaving()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("Diary20263.xml"),
        MonthXml("<ARTICLE DATE=\"14\"><TEXT>other day</TEXT></ARTICLE>"
                 "<ARTICLE DATE=\"15\"><TEXT>first</TEXT><TEXT>second\\nline</TEXT></ARTICLE>"));
    const QByteArray before = ReadFile(dir.filePath("Diary20263.xml"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QCOMPARE(window.Calendar()->Value(), QDate(2026, 3, 15));
    QCOMPARE(window.Month()->Year(), QString("2026"));
    QCOMPARE(window.Month()->Month(), QString("3"));
    QCOMPARE(window.TitleTexts(), QStringList({ "first", "second" }));
    QCOMPARE(window.SelectedRow(), -1);
    QVERIFY(window.Editor()->toPlainText().isEmpty());
    QVERIFY(!window.DayBold(QDate(2026, 3, 14)));
    QCOMPARE(ReadFile(dir.filePath("Diary20263.xml")), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "Diary20263.xml" }));
    QVERIFY(window.messages.isEmpty());
}

void TestMainForm::listDay_findsTheDaysArticle_data()
{
    QTest::addColumn<QByteArray>("articles");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("hasDay");
    QTest::newRow("no ARTICLE") << QByteArray("<ARTICLE DATE=\"4\"><TEXT>x</TEXT></ARTICLE>") << QStringList() << false;
    QTest::newRow("empty ARTICLE") << QByteArray("<ARTICLE DATE=\"5\"/>") << QStringList() << true;
    QTest::newRow("two with the same DATE: the first")
        << QByteArray("<ARTICLE DATE=\"5\"><TEXT>one</TEXT></ARTICLE><ARTICLE DATE=\"5\"><TEXT>two</TEXT></ARTICLE>")
        << QStringList({ "one" }) << true;
    QTest::newRow("DATE 05 is the fifth")
        << QByteArray("<ARTICLE DATE=\"05\"><TEXT>zero five</TEXT></ARTICLE>") << QStringList({ "zero five" }) << true;
    QTest::newRow("a bad DATE is skipped, not fatal")
        << QByteArray("<ARTICLE DATE=\"x\"><TEXT>bad</TEXT></ARTICLE><ARTICLE><TEXT>none</TEXT></ARTICLE>"
                      "<ARTICLE DATE=\"5\"><TEXT>good</TEXT></ARTICLE>")
        << QStringList({ "good" }) << true;
    QTest::newRow("an empty entry keeps its row")
        << QByteArray("<ARTICLE DATE=\"5\"><TEXT></TEXT><TEXT>b</TEXT></ARTICLE>") << QStringList({ "", "b" }) << true;
}

void TestMainForm::listDay_findsTheDaysArticle()
{
    QFETCH(QByteArray, articles);
    QFETCH(QStringList, titles);
    QFETCH(bool, hasDay);
    QTemporaryDir dir;
    WriteFile(dir.filePath("Diary20263.xml"), MonthXml(articles));
    Window window(dir.path(), QDate(2026, 3, 5));
    QCOMPARE(window.TitleTexts(), titles);
    QCOMPARE(window.Month()->HasSelectedDay(), hasDay);
    window.form->ListDay();
    QCOMPARE(window.TitleTexts(), titles);
    QCOMPARE(window.SelectedRow(), -1);
    QVERIFY(window.Editor()->toPlainText().isEmpty());
    QVERIFY(window.messages.isEmpty());
}

void TestMainForm::titleSelected_showsTheDecodedText()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("Diary20263.xml"),
        MonthXml("<ARTICLE DATE=\"15\"><TEXT>a</TEXT><TEXT>Meeting\\nRoom 3</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(1);
    QCOMPARE(window.SelectedRow(), 1);
    QCOMPARE(window.Month()->CurText(), 1);
    QCOMPARE(window.Editor()->toPlainText(), QString("Meeting\nRoom 3"));
    QVERIFY(!window.Editor()->isReadOnly());
}

void TestMainForm::btnEnd_writesTheMonthAndCloses()
{
    QTemporaryDir dir;
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnEnd");
    QVERIFY(!window.form->isVisible());
    const QByteArray written = ReadFile(dir.filePath("Diary20263.xml"));
    QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"));
    QVERIFY(written.contains("<DIARY/>") || written.contains("<DIARY></DIARY>"));
    QVERIFY(!written.contains("ARTICLE"));
}

void TestMainForm::btnEnd_writesJanuaryAsMonthOne()
{
    QTemporaryDir dir;
    Window window(dir.path(), QDate(2027, 1, 9));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnEnd");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "Diary20271.xml" }));
}

void TestMainForm::closeBox_asksOnlyAboutUnsavedWork_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("blocked"); // a directory stands at the month file's name
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    const auto save = SaveAnswer::SaveAndQuit;
    const auto cancel = SaveAnswer::Cancel;
    QTest::newRow("nothing changed: closes at once") << false << false << cancel << 0 << true << false;
    QTest::newRow("保管しておわり") << true << false << save << 1 << true << true;
    QTest::newRow("保管せずにおわる") << true << false << SaveAnswer::QuitWithoutSaving << 1 << true << false;
    QTest::newRow("キャンセル") << true << false << cancel << 1 << false << false;
    QTest::newRow("保管しておわり failing keeps the window") << true << true << save << 1 << false << false;
}

void TestMainForm::closeBox_asksOnlyAboutUnsavedWork()
{
    QFETCH(bool, edit);
    QFETCH(bool, blocked);
    QFETCH(SaveAnswer, answer);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    window.answer = answer;
    QVERIFY(window.ShowAndActivate());
    if (edit)
        TypeIntoKeep(window);
    if (blocked)
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
    const QByteArray before = ReadFile(path);

    window.form->close();
    QCOMPARE(window.questions.size(), questions);
    QCOMPARE(window.form->isHidden(), closed);
    QCOMPARE(window.messages.size(), blocked ? 1 : 0);
    if (written)
        QVERIFY(ReadFile(path).contains("<ARTICLE DATE=\"15\"><TEXT>keepmore</TEXT></ARTICLE>"));
    else
        QCOMPARE(ReadFile(path), before);
    if (!closed)
        QCOMPARE(window.TitleTexts(), QStringList({ "keepmore" }));
}

// At logout the question comes only with the session manager's leave; the window stays until the
// session's quit, which closes it without asking again.
void TestMainForm::sessionEnd_asksOnlyWhenAllowed_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("mayEnd");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("journaled"); // the work stays in the journal after the answer
    const auto cancel = SaveAnswer::Cancel;
    QTest::newRow("nothing changed") << false << true << cancel << 0 << true << false << false;
    QTest::newRow("no interaction allowed: ends unsaved") << true << false << cancel << 0 << true << false << true;
    QTest::newRow("保管しておわり") << true << true << SaveAnswer::SaveAndQuit << 1 << true << true << false;
    QTest::newRow("保管せずにおわる") << true << true << SaveAnswer::QuitWithoutSaving << 1 << true << false << false;
    QTest::newRow("キャンセル") << true << true << cancel << 1 << false << false << true;
}

void TestMainForm::sessionEnd_asksOnlyWhenAllowed()
{
    QFETCH(bool, edit);
    QFETCH(bool, allowed);
    QFETCH(SaveAnswer, answer);
    QFETCH(int, questions);
    QFETCH(bool, mayEnd);
    QFETCH(bool, written);
    QFETCH(bool, journaled);
    const OwnStateFolder state;
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    const QByteArray before = ReadFile(path);
    QuitCatcher catcher;
    qApp->installEventFilter(&catcher);
    Window window(dir.path(), QDate(2026, 3, 15));
    const SessionEnd sessionEnd(*qApp, *window.form);
    window.answer = answer;
    QVERIFY(window.ShowAndActivate());
    if (edit)
        TypeIntoKeep(window);

    bool interactionAsked = false;
    const auto allowsInteraction = [&] {
        interactionAsked = true;
        return allowed;
    };
    QCOMPARE(window.form->SessionMayEnd(allowsInteraction), mayEnd);
    QCOMPARE(interactionAsked, edit);
    QCOMPARE(window.questions.size(), questions);
    QVERIFY(window.form->isVisible());
    QCOMPARE(ReadFile(path) != before, written);
    window.form->KeepWorkNow();
    QCOMPARE(Journals(state).size(), journaled ? 1 : 0);
    // The desktop may still call the logout off: what is typed from then on is kept as ever.
    TypeIntoKeep(window);
    window.form->KeepWorkNow();
    QCOMPARE(Journals(state).size(), 1);
    if (!mayEnd)
        return;
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    QVERIFY(window.form->close());
    QCOMPARE(window.questions.size(), questions);
}

void TestMainForm::btnEnd_failedSave_keepsWindowAndDocument()
{
    auto dir = std::make_unique<QTemporaryDir>();
    const QString path = dir->path();
    Window window(path, QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("まだ保存されていない");
    dir.reset(); // the program directory is gone: the save cannot succeed
    window.Click("BtnEnd");
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY(window.form->isVisible());
    QCOMPARE(window.TitleTexts(), QStringList({ "まだ保存されていない" }));

    // A new folder under the old name is not the diary's (the empty mount point of a pulled stick).
    QVERIFY(QDir().mkpath(path));
    window.Click("BtnEnd");
    QTRY_COMPARE(window.messages.size(), 2);
    QVERIFY2(window.messages.last().contains("起動したときの場所にありません"), qPrintable(window.messages.last()));
    QVERIFY(window.form->isVisible());
    QVERIFY(QDir(path).isEmpty());
    QDir(path).removeRecursively();
}

// Killed with work unsaved, the diary's folder moved away and a new, empty diary made in its place:
// the work comes back in the moved diary only; the new one names it.
void TestMainForm::journal_followsTheMovedDiaryAndNoOther()
{
    const OwnStateFolder state;
    QTemporaryDir root;
    const QString old = root.filePath(QStringLiteral("diary"));
    const QString moved = root.filePath(QStringLiteral("STICK1"));
    QVERIFY(QDir().mkdir(old));
    WriteFile(old + u'/' + MarchFile, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    auto killed = std::make_unique<Window>(old, QDate(2026, 3, 15));
    QVERIFY(killed->ShowAndActivate());
    TypeIntoKeep(*killed);
    killed->form->KeepWorkNow();
    // Gone without a close, as after SIGKILL.
    killed.reset();
    QVERIFY(QDir().rename(old, moved) && QDir().mkdir(old));

    Window fresh(old, QDate(2026, 3, 15));
    QVERIFY(fresh.ShowAndActivate());
    QCOMPARE(fresh.TitleTexts(), QStringList());
    QTRY_COMPARE(fresh.messages.size(), 1);
    QVERIFY(fresh.form->close());
    QCOMPARE(QDir(old).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());

    Window window(moved, QDate(2026, 4, 1));
    QVERIFY(window.ShowAndActivate());
    QCOMPARE(window.TitleTexts(), QStringList({ "keepmore" }));
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().contains(u"元に戻し"), qPrintable(window.messages.first()));
    window.Click("BtnEnd");
    QVERIFY(ReadFile(moved + u'/' + MarchFile).contains("<TEXT>keepmore</TEXT>"));
    QCOMPARE(Journals(state), QStringList());
}

// Killed between the month's save and the journal's removal: the next start finds the work in the
// month and neither brings it back nor blames another program for it.
void TestMainForm::journal_ofWorkAlreadySaved_goesWithoutAWord()
{
    const OwnStateFolder state;
    QTemporaryDir dir;
    WriteFile(dir.filePath(MarchFile), MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    QString journal;
    QByteArray bytes;
    {
        Window window(dir.path(), QDate(2026, 3, 15));
        QVERIFY(window.ShowAndActivate());
        TypeIntoKeep(window);
        window.form->KeepWorkNow();
        QCOMPARE(Journals(state).size(), 1);
        journal = state.filePath(QStringLiteral("noterra/") + Journals(state).first());
        bytes = ReadFile(journal);
        window.Click("BtnEnd");
    }
    WriteFile(journal, bytes);
    Window window(dir.path(), QDate(2026, 3, 1));
    QVERIFY(window.ShowAndActivate());
    QVERIFY(QueuedEventsHandled());
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(Journals(state), QStringList());
}

void TestMainForm::fullDisk_bothSavePoints_failKeepTheWorkAndSaveOnceThereIsRoom_data()
{
    QTest::addColumn<bool>("switchMonth");
    QTest::addColumn<int>("size");
    const QList<std::pair<const char *, int>> sizes
        = { { "a few bytes", 100 }, { "4 KiB", 4096 }, { "16 KiB", 16384 }, { "64 KiB", 65536 }, { "1 MB", 1000000 } };
    for (const bool switchMonth : { false, true }) {
        for (const auto &[name, size] : sizes)
            QTest::addRow("%s, %s", switchMonth ? "month switch" : "BtnEnd", name) << switchMonth << size;
    }
}

// The month on disk is about size bytes; the new entry makes it need more than the disk has left.
void TestMainForm::fullDisk_bothSavePoints_failKeepTheWorkAndSaveOnceThereIsRoom()
{
    QFETCH(bool, switchMonth);
    QFETCH(int, size);
    QTemporaryDir dir;
    SmallDisk disk(dir.path(), 4 << 20);
    if (!disk.mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs to fill: %1").arg(disk.error())));
    const QString path = dir.filePath("Diary20263.xml");
    const QByteArray old
        = MonthXml("<ARTICLE DATE=\"15\"><TEXT>" + QByteArray(std::max(1, size - 90), 'o') + "</TEXT></ARTICLE>");
    WriteFile(path, old);
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.Click("BtnNew");
    window.Type("added");
    window.Titles()->setFocus();
    QVERIFY(disk.LeaveFree(SmallDisk::JustBelow(window.Month()->Bytes().size())));
    const auto save = [&] {
        if (switchMonth)
            window.Pick(QDate(2026, 4, 1));
        else
            window.Click("BtnEnd");
    };

    save();
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().contains("容量不足"), qPrintable(window.messages.first()));
    QVERIFY(window.form->isVisible());
    QCOMPARE(window.Month()->Month(), QString("3"));
    QCOMPARE(window.TitleTexts().last(), QString("added"));
    QCOMPARE(ReadFile(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList("Diary20263.xml"));

    disk.MakeRoom();
    save();
    QCOMPARE(window.messages.size(), 1);
    QCOMPARE(window.form->isVisible(), switchMonth);
    QCOMPARE(window.Month()->Month(), QString(switchMonth ? "4" : "3"));
    QVERIFY(ReadFile(path).contains("<TEXT>added</TEXT>"));
}

void TestMainForm::startUp_unreadableFile_isKeptAsideAndReported()
{
    QTemporaryDir dir;
    const QByteArray broken = "<?xml version=\"1.0\"?><DIARY><ARTICLE DATE=\"15\"><TEXT>lost?";
    WriteFile(dir.filePath("Diary20263.xml"), broken);
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.messages.isEmpty()); // told only once the window is on screen
    QVERIFY(window.ShowAndActivate());
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY(window.messages.first().contains("Diary20263.xml"));
    const QStringList kept = QDir(dir.path()).entryList({ "Diary20263.xml.unreadable-*" }, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(ReadFile(dir.filePath(kept.first())), broken);
    QVERIFY(window.messages.first().contains(kept.first()));
    // The parser's own words come last, after what happened and what to do.
    QVERIFY(window.messages.first().startsWith("「Diary20263.xml」を読み込めなかった"));
    QVERIFY(window.messages.first().contains("取っておいてください。\n詳細: "));
}

void TestMainForm::startUp_directoryInPlaceOfTheFile_isLeftAloneAndTheMonthCanBeLeft()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Diary20263.xml/inside"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    QTRY_COMPARE(window.messages.size(), 1);
    window.Click("BtnNew");
    QCOMPARE(window.messages.size(), 2);
    QVERIFY(window.TitleTexts().isEmpty());
    window.Pick(QDate(2026, 4, 1));
    QCOMPARE(window.Month()->Month(), QString("4"));
    window.Pick(QDate(2026, 3, 2));
    QCOMPARE(window.messages.size(), 3);
    QCOMPARE(window.Month()->Month(), QString("4")); // March cannot be opened: back to April
    QCOMPARE(window.Calendar()->Value(), QDate(2026, 4, 1));
    window.Click("BtnEnd");
    QVERIFY(QFileInfo(dir.filePath("Diary20263.xml/inside")).isDir());
    QVERIFY(QFile::exists(dir.filePath("Diary20264.xml")));
}

void TestMainForm::startUp_manyConflictCopies_namesTheFirstFewAndCountsTheRest()
{
    QTemporaryDir dir;
    for (int copy = 100; copy < 140; ++copy)
        WriteFile(dir.filePath(QStringLiteral("Diary20262 (conflicted copy %1).xml").arg(copy)), MonthXml(""));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    QTRY_COMPARE(window.messages.size(), 1);
    const QString &notice = window.messages.first();
    QVERIFY2(notice.contains("copy 100).xml") && !notice.contains("copy 139).xml"), qPrintable(notice));
    QVERIFY2(notice.contains("ほか35個"), qPrintable(notice));
    QVERIFY(notice.count(u'\n') < 15);
}

// Another program writes the month in place and pauses half-way; the window is activated in the pause.
void TestMainForm::monthWrittenInPlaceElsewhere_isShownOnlyOnceWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    // A watcher of the test's own hears the folder as the window's does, with the same quiet time.
    FolderWatcher watcher(dir.path());
    watcher.WatchMonth(path);
    QSignalSpy looked(&watcher, &FolderWatcher::Settled);
    const QByteArray there = MonthXml("<ARTICLE DATE=\"15\"><TEXT>there</TEXT><TEXT>more</TEXT></ARTICLE>");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(there.left(there.size() / 2)) > 0 && file.flush());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(window.ShowAndActivate());
    // The window has looked at the half-written month once the folder was quiet after the write.
    QTRY_VERIFY_WITH_TIMEOUT(!looked.isEmpty(), 30000);
    QVERIFY(QueuedEventsHandled());
    QCOMPARE(window.TitleTexts(), QStringList({ "keep" }));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join(u'\n')));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ MarchFile }));

    QVERIFY(file.write(there.mid(there.size() / 2)) > 0 && file.flush());
    QTRY_COMPARE(window.TitleTexts(), QStringList({ "there", "more" }));
    window.Click("BtnEnd");
    QCOMPARE(ReadFile(path), there);
}

// Both computers saved March: the sync tool puts the other side's version over the month and this
// side's into a copy, and copies the lock too, while the window stays active with nothing unsaved.
void TestMainForm::syncToolsVersions_areFollowedAndNamedWhileTheWindowStaysActive()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    const QString copy = "Diary20263.sync-conflict-20260315-120000-ABCDEFG.xml";
    const QString lockCopy = dir.filePath(".noterra.sync-conflict-20260315-120000-ABCDEFG.lock");
    WriteFile(dir.filePath(copy),
        MonthXml("<ARTICLE DATE=\"3\"><TEXT>mine</TEXT></ARTICLE><ARTICLE DATE=\"9\"><TEXT>there</TEXT></ARTICLE>"
                 "<ARTICLE DATE=\"15\"><TEXT>keep</TEXT><TEXT>mine too</TEXT></ARTICLE>"));
    // What the other computer's save kept of this one's version when both changed an entry.
    const QString kept = "Diary20263.xml.conflict-20260315-120500";
    WriteFile(dir.filePath(kept), MonthXml("<ARTICLE DATE=\"21\"><TEXT>mine, changed there too</TEXT></ARTICLE>"));
    WriteFile(path + ".tmp",
        MonthXml("<ARTICLE DATE=\"9\"><TEXT>there</TEXT></ARTICLE>"
                 "<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    QCOMPARE(::rename(QFile::encodeName(path + ".tmp").constData(), QFile::encodeName(path).constData()), 0);
    WriteFile(lockCopy, "4242\nnoterra\nanother-computer.example\n");

    QTRY_VERIFY(window.Month()->DaysWithEntries().contains(9));
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().contains("「" + copy + "」: この日記にない記事がある日 3日、15日")
            && window.messages.first().contains("「" + kept + "」: この日記にない記事がある日 21日"),
        qPrintable(window.messages.first()));
    QTRY_VERIFY(!QFile::exists(lockCopy));
}

// The copy a save keeps beside the month is named by the save; the folder's follower, which names
// such copies from other computers, does not name it again. A sync tool's copy that only adds
// entries goes into its month at the month's next save, and is named as taken in.
void TestMainForm::conflictCopies_ownSaveNamedOnce_syncCopyTakenInAndNamed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    window.Type("mine ");
    window.ClickTitle(0);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>theirs</TEXT></ARTICLE>"));
    window.Pick(QDate(2026, 4, 1));
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().contains(".conflict-"), qPrintable(window.messages.first()));
    // A sync tool's copy arriving afterwards is named alone; the next save takes in what it adds.
    const QString copy = "Diary20264.sync-conflict-20260315-120000-ABCDEFG.xml";
    WriteFile(dir.filePath(copy), MonthXml("<ARTICLE DATE=\"2\"><TEXT>offline</TEXT></ARTICLE>"));
    QTRY_COMPARE(window.messages.size(), 2);
    QVERIFY2(!window.messages.last().contains(".conflict-") && window.messages.last().contains("2日"),
        qPrintable(window.messages.last()));
    window.Pick(QDate(2026, 5, 1));
    QVERIFY(ReadFile(dir.filePath("Diary20264.xml")).contains("offline"));
    QTRY_COMPARE(window.messages.size(), 3);
    QVERIFY2(window.messages.last().contains("「" + copy + ".merged」"), qPrintable(window.messages.last()));
}

void TestMainForm::changeElsewhere_underAnOpenEntry_keepsItsPlaceAndWhatIsTyped_data()
{
    QTest::addColumn<QByteArray>("there");
    // The titles right after the change, and the 15th after typing "typed" and 保管しておわり.
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("its text replaced") << QByteArray("<TEXT>other</TEXT>") << QStringList({ "other" })
                                       << QByteArray("<TEXT>othertyped</TEXT>");
    QTest::newRow("another added before it")
        << QByteArray("<TEXT>new</TEXT><TEXT>keep</TEXT>") << QStringList({ "new", "keep" })
        << QByteArray("<TEXT>new</TEXT><TEXT>keeptyped</TEXT>");
}

// Another program renames its version over the month while the cursor is in the open entry "keep".
void TestMainForm::changeElsewhere_underAnOpenEntry_keepsItsPlaceAndWhatIsTyped()
{
    QFETCH(QByteArray, there);
    QFETCH(QStringList, titles);
    QFETCH(QByteArray, saved);
    QTemporaryDir dir;
    const QString path = dir.filePath(MarchFile);
    WriteFile(path, MonthXml("<ARTICLE DATE=\"15\"><TEXT>keep</TEXT></ARTICLE>"));
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    window.ClickTitle(0);
    QTest::mouseClick(window.Editor()->viewport(), Qt::LeftButton);
    WriteFile(path + ".tmp", MonthXml("<ARTICLE DATE=\"15\">" + there + "</ARTICLE>"));
    QCOMPARE(std::rename(qPrintable(path + ".tmp"), qPrintable(path)), 0);
    QTRY_COMPARE(window.TitleTexts(), titles);
    QVERIFY(window.SelectedRow() == titles.size() - 1 && !window.Editor()->isReadOnly() && window.Editor()->hasFocus());
    window.Editor()->moveCursor(QTextCursor::End);
    window.Type("typed");
    // The text the window showed and the other version lacks is named where it still is.
    const QStringList copies = QDir(dir.path()).entryList({ MarchFile + ".conflict-*" });
    QCOMPARE(copies.size(), there.contains("keep") ? 0 : 1);
    QTRY_COMPARE(window.messages.size(), copies.size());
    QVERIFY(copies.isEmpty()
        || (window.messages.first().contains("3月15日の記事") && window.messages.first().contains(copies.first())
            && ReadFile(dir.filePath(copies.first())).contains("<TEXT>keep</TEXT>")));
    window.Click("BtnEnd");
    QVERIFY(ReadFile(path).contains("<DIARY><ARTICLE DATE=\"15\">" + saved + "</ARTICLE></DIARY>"));
}

void TestMainForm::unloadedMonth_refusesEditingInJapanese_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("button");
    QTest::newRow("新規 beside a directory") << "directory"
                                             << "BtnNew";
    QTest::newRow("削除 beside a directory") << "directory"
                                             << "BtnDel";
    QTest::newRow("新規 beside a named pipe") << "pipe"
                                              << "BtnNew";
}

void TestMainForm::unloadedMonth_refusesEditingInJapanese()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, button);
    QTemporaryDir dir;
    const QString path = dir.filePath("Diary20263.xml");
    if (obstacle == "directory")
        QVERIFY(QDir().mkdir(path));
    else
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages.first().startsWith("「Diary20263.xml」"), qPrintable(window.messages.first()));

    window.Click(button.toLatin1().constData());
    QCOMPARE(window.messages.size(), 2);
    QVERIFY2(window.messages.last().startsWith("2026年3月は") && window.messages.last().contains("編集できません"),
        qPrintable(window.messages.last()));
    QVERIFY(window.TitleTexts().isEmpty());
    QVERIFY(window.Editor()->isReadOnly());
    QVERIFY(!window.Month()->IsLoaded());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
        QStringList({ "Diary20263.xml" }));
}

void TestMainForm::prepareApplication_givesQtsOwnTextsInJapanese()
{
    PrepareApplication(*qApp);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
    QVERIFY(QFontInfo(QApplication::font()).family().contains("IPA"));
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
