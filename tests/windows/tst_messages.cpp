#include "diaryfixture.h"
#include "ui/japanesebreaks.h"
#include "ui/japanesefonts.h"
#include "ui/messagebox.h"
#include "ui/typingpause.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextLayout>
#include <QtTest>

using namespace DiaryFixture;

using Situation = std::function<std::unique_ptr<DiaryFixture::Window>(const QString &folder)>;
Q_DECLARE_METATYPE(Situation)

namespace {

const QDate March15(2026, 3, 15);

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

// A run killed with work unsaved; its journal is left behind.
void KilledWithWork(const QString &folder, bool damageJournal)
{
    auto killed = std::make_unique<Window>(folder, March15);
    QVERIFY(killed->ShowAndActivate());
    killed->Click("BtnNew");
    killed->Type("書きかけ");
    killed->form->KeepWorkNow();
    killed.reset();
    if (!damageJournal)
        return;
    const QDir journals(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/noterra"));
    const QString journal = journals.filePath(journals.entryList({ "*.journal" }, QDir::Files).value(0));
    QByteArray bytes = ReadFile(journal);
    QVERIFY(bytes.size() > 100);
    bytes[bytes.size() / 2] = bytes[bytes.size() / 2] ^ 0x20;
    WriteFile(journal, bytes);
}

// What the reader must not meet: Latin letters outside file names and the details, other words for
// the diary's things, and a paragraph of more than three sentences.
QString Fault(const QString &text)
{
    static const QRegularExpression named(QStringLiteral("「[^」]*」"));
    static const QRegularExpression detail(QStringLiteral("詳細: [^\n]*"));
    const QString read = QString(text).remove(detail);
    const QString plain = QString(read).remove(named);
    if (plain.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
        return QStringLiteral("Latin letters");
    for (const char16_t *other : { u"保管", u"版", u"復元用", u"ディレクトリ" }) {
        if (plain.contains(QStringView(other)))
            return QStringLiteral("another word: ") + QString::fromUtf16(other);
    }
    if (plain.count(u"控え") != plain.count(u"書きかけの控え"))
        return QStringLiteral("another word for the journal");
    for (const QString &paragraph : plain.split(QStringLiteral("\n\n"))) {
        if (paragraph.count(u'。') + paragraph.count(u'？') > 3)
            return QStringLiteral("more than three sentences");
    }
    return {};
}

}

// Every message the window shows, read as a new user reads it: the icon says whether anything is
// asked of them, the words are Japanese and the diary's own, and it is said in a few sentences.
class TestMessages : public QObject
{
    Q_OBJECT

private slots:
    void situation_toldInFewJapaneseSentencesWithItsIcon_data();
    void situation_toldInFewJapaneseSentencesWithItsIcon();
    void lines_breakWhereJapaneseBreaks_data();
    void lines_breakWhereJapaneseBreaks();
    void notice_waitsUntilTypingRests();
    void box_ignoresKeysForItsFirstMoment();
};

void TestMessages::situation_toldInFewJapaneseSentencesWithItsIcon_data()
{
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<int>("told"); // messages shown in all
    QTest::addColumn<MessageKind>("kind"); // of the last one
    QTest::addColumn<QStringList>("says");
    const auto copy = [](const QString &folder) {
        WriteFile(folder + QStringLiteral("/Diary20263.sync-conflict-20260315-120000-ABCDEFG.xml"),
            MonthXml("<ARTICLE DATE=\"3\"><TEXT>there</TEXT></ARTICLE>"));
    };
    QTest::newRow("work brought back") << Situation([](const QString &folder) {
        KilledWithWork(folder, false);
        return std::make_unique<Window>(folder, March15);
    }) << 1 << MessageKind::Notice << QStringList({ "元に戻し", "2026年3月" });
    QTest::newRow("damaged journal") << Situation([](const QString &folder) {
        KilledWithWork(folder, true);
        return std::make_unique<Window>(folder, March15);
    }) << 1 << MessageKind::Notice << QStringList({ "元に戻せませんでした" });
    QTest::newRow("unreadable month") << Situation([](const QString &folder) {
        WriteFile(folder + QStringLiteral("/Diary20263.xml"), "<?xml version=\"1.0\"?><DIARY><ARTICLE>");
        return std::make_unique<Window>(folder, March15);
    }) << 1 << MessageKind::Action << QStringList({ "消さずに取っておいて", "\n詳細: " });
    QTest::newRow("a sync tool's copy") << Situation([copy](const QString &folder) {
        copy(folder);
        return std::make_unique<Window>(folder, March15);
    }) << 1 << MessageKind::Action << QStringList({ "同期ソフトのコピー", "3日" });
    QTest::newRow("all at start, one window") << Situation([copy](const QString &folder) {
        KilledWithWork(folder, false);
        copy(folder);
        return std::make_unique<Window>(folder, March15);
    }) << 1 << MessageKind::Action << QStringList({ "元に戻し", "同期ソフトのコピー" });
    QTest::newRow("save into a pulled stick") << Situation([](const QString &folder) {
        auto window = std::make_unique<Window>(folder, March15);
        if (window->ShowAndActivate()) {
            window->Click("BtnNew");
            window->Type("書きかけ");
            QDir(folder).removeRecursively();
            window->Click("BtnEnd");
        }
        return window;
    }) << 1 << MessageKind::Failure << QStringList({ "画面に残っています", "もう一度保存してください" });
    QTest::newRow("新規 in a month that did not open") << Situation([](const QString &folder) {
        QDir(folder).mkdir(QStringLiteral("Diary20263.xml"));
        auto window = std::make_unique<Window>(folder, March15);
        if (window->ShowAndActivate() && QTest::qWaitFor([&window] { return !window->messages.isEmpty(); }))
            window->Click("BtnNew");
        return window;
    }) << 2 << MessageKind::Action << QStringList({ "編集できません" });
}

void TestMessages::situation_toldInFewJapaneseSentencesWithItsIcon()
{
    QFETCH(Situation, situation);
    QFETCH(int, told);
    QFETCH(MessageKind, kind);
    QFETCH(QStringList, says);
    const OwnStateFolder state;
    QTemporaryDir dir;
    const std::unique_ptr<Window> window = situation(dir.path());
    QVERIFY(window->form->isVisible() || window->ShowAndActivate());
    QTRY_COMPARE(window->messages.size(), told);
    QTest::qWait(50);
    QCOMPARE(window->messages.size(), told);
    QCOMPARE(window->kinds.last(), kind);
    for (const QString &text : window->messages)
        QVERIFY2(Fault(text).isEmpty(), qPrintable(Fault(text) + u'\n' + text));
    for (const QString &part : says)
        QVERIFY2(window->messages.last().contains(part), qPrintable(window->messages.last()));
}

// Breaks that split a word: a katakana word, a date, a sentence's end from the kana before it.
int SplitWords(const QString &text, const QFont &font, qreal width)
{
    const auto isKatakana = [](QChar c) { return (c >= u'ァ' && c <= u'ヺ') || c == u'ー'; };
    const auto isDateUnit = [](QChar c) { return c == u'年' || c == u'月' || c == u'日'; };
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(width);
    layout.endLayout();
    int splits = 0;
    for (int index = 1; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        const QString before = text.left(line.textStart()).remove(QChar(0x2060));
        const QString after = text.mid(line.textStart()).remove(QChar(0x2060));
        if (before.isEmpty() || after.isEmpty() || before.back() == u'\n')
            continue;
        const QChar last = before.back(), first = after.front();
        const qsizetype end = after.indexOf(u'。');
        const bool inCaption = before.lastIndexOf(u'「') > before.lastIndexOf(u'」') && after.indexOf(u'」') < 10;
        splits += inCaption || QStringView(u"。、」）").contains(first) || (isKatakana(last) && isKatakana(first))
            || (last.isDigit() && (first.isDigit() || isDateUnit(first))) || (isDateUnit(last) && first.isDigit())
            || (end > 0 && end <= 2);
    }
    return splits;
}

void TestMessages::lines_breakWhereJapaneseBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("katakana words")
        << "この日記は、別のコンピューター「host」でも開いているかもしれません。"
           "同期ソフトのコピーがあります。フォルダーとシンボリックリンクとディスクとメモリー。";
    QTest::newRow("dates")
        << "前回は、2026年12月7日に書いていた2026年12月の内容を元に戻し、31日と2027年1月1日を開いています。";
    QTest::newRow("sentence ends") << "保存していないので、保存してください。一時ファイルを片づけられませんでした。"
                                      "読み込めません。中身を確かめてください。";
    QTest::newRow("captions")
        << "ほかの月へ移るか「保管しておわり」で保存するか、「保管せずにおわる」を選んでください。";
}

void TestMessages::lines_breakWhereJapaneseBreaks()
{
    QFETCH(QString, text);
    const QString kept = JapaneseBreaks::Kept(text);
    const QFont font = JapaneseFonts::UiFont();
    // The joiners take no room: the line reads as before.
    QCOMPARE(qRound(QFontMetricsF(font).horizontalAdvance(kept)), qRound(QFontMetricsF(font).horizontalAdvance(text)));
    const qreal character = QFontMetricsF(font).horizontalAdvance(u'あ');
    int unguarded = 0;
    for (qreal width = 8 * character; width < 40 * character; width += character / 3) {
        unguarded += SplitWords(text, font, width);
        QVERIFY2(SplitWords(kept, font, width) == 0, qPrintable(QString::number(width)));
    }
    // Without the joiners Qt splits such words: the check above can fail.
    QVERIFY(unguarded > 0);
}

void TestMessages::notice_waitsUntilTypingRests()
{
    QPlainTextEdit editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    TypingPause pause;
    int shown = 0;
    pause.Run([&shown] { ++shown; });
    QCOMPARE(shown, 1); // nobody typing: at once
    QTest::keyClick(&editor, Qt::Key_A);
    QElapsedTimer waited;
    waited.start();
    pause.Run([&shown] { ++shown; });
    QTest::qWait(1000);
    QTest::keyClick(&editor, Qt::Key_B);
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 5000);
    QVERIFY2(waited.elapsed() >= 2900, qPrintable(QString::number(waited.elapsed())));
}

void TestMessages::box_ignoresKeysForItsFirstMoment()
{
    QElapsedTimer open;
    QStringList seen;
    const auto press = [&seen](int at) {
        QTimer::singleShot(at, [&seen, at] {
            QWidget *box = QApplication::activeModalWidget();
            seen.append(box ? QStringLiteral("open at %1").arg(at) : QStringLiteral("closed at %1").arg(at));
            if (box)
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Space);
        });
    };
    press(150);
    press(400);
    press(900);
    press(1200);
    open.start();
    MessageBox::Show(nullptr, MessageKind::Notice, QStringLiteral("お知らせ"), QStringLiteral("お知らせです。"));
    QVERIFY(open.elapsed() >= 900);
    QTRY_COMPARE(seen, QStringList({ "open at 150", "open at 400", "open at 900", "closed at 1200" }));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
