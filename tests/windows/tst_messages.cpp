#include "diaryfixture.h"
#include "ui/japanesefonts.h"
#include "ui/japaneselines.h"
#include "ui/messagebox.h"
#include "ui/messagedialog.h"
#include "ui/messagetext.h"
#include "ui/typingpause.h"

#include <QAccessible>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTextLayout>
#include <QtTest>

using namespace DiaryFixture;

// What the diary's folder holds before the start (no window yet), and what the user does after it.
using Situation = std::function<void(const QString &folder, Window *window)>;
Q_DECLARE_METATYPE(Situation)

// A run killed with work unsaved leaves its journal behind, whole or damaged.
static void KilledWithWork(const QString &folder, bool damageJournal)
{
    Window killed(folder, QDate(2026, 3, 15));
    QVERIFY(killed.ShowAndActivate());
    killed.Click("BtnNew");
    killed.Type("書きかけ");
    killed.form->KeepWorkNow();
    const QDir journals(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/noterra"));
    const QString journal = journals.filePath(journals.entryList({ "*.journal" }, QDir::Files).value(0));
    QByteArray bytes = ReadFile(journal);
    bytes[bytes.size() / 2] = bytes[bytes.size() / 2] ^ (damageJournal ? 0x20 : 0);
    WriteFile(journal, bytes);
}

// What the reader must not meet: Latin outside names and details, other words, over three sentences.
static QString Fault(const QString &text)
{
    static const QRegularExpression namedOrDetail(QStringLiteral("「[^」]*」|詳細: [^\n]*"));
    static const QRegularExpression otherWords(
        QStringLiteral("[A-Za-z]|保管|版|復元用|ディレクトリ|(?<!書きかけの)控え"));
    const QString plain = QString(text).remove(namedOrDetail);
    if (const auto found = otherWords.match(plain); found.hasMatch())
        return QStringLiteral("not our word: ") + found.captured();
    for (const QString &paragraph : plain.split(QStringLiteral("\n\n"))) {
        if (paragraph.count(u'。') + paragraph.count(u'？') > 3)
            return QStringLiteral("more than three sentences");
    }
    return {};
}

// What no line may split (words, dates, a button's caption), start with or end with.
static QString Broken(const QString &text, const QList<JapaneseLines::Span> &lines, const QFont &font, qreal width)
{
    static const QStringList words = { "置けません", "足りません", "おわります", "取って", "おいて", "この月",
        "作れないため", "コンピューター", "シンボリックリンク", "2026年12月7日", "2027年1月1日", "someone", "noterra",
        "journal", "Diary202611", "conflict", "「保管しておわり」", "ください。" };
    for (const JapaneseLines::Span &line : lines) {
        const QString shown = text.mid(line.start, line.length);
        if (QFontMetricsF(font).horizontalAdvance(shown.trimmed()) > width + 0.5)
            return QStringLiteral("clipped: ") + shown;
        if (line.start == 0 || text.at(line.start - 1) == u'\n' || line.length == 0)
            continue;
        if (QStringView(u"。、」）ーっゃょ").contains(shown.front()) || text.at(line.start - 1) == u'「')
            return QStringLiteral("broken at: ") + shown;
        for (const QString &word : words) {
            const qsizetype at = text.lastIndexOf(word, line.start - 1);
            if (at >= 0 && at + word.size() > line.start)
                return QStringLiteral("split: ") + word;
        }
    }
    return {};
}

// The lines Qt alone makes of a text, for comparison.
static QList<JapaneseLines::Span> QtLines(const QString &text, const QFont &font, qreal width)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(width);
    layout.endLayout();
    QList<JapaneseLines::Span> lines;
    for (int index = 0; index < layout.lineCount(); ++index)
        lines.append({ layout.lineAt(index).textStart(), layout.lineAt(index).textLength() });
    return lines;
}

// Box widths at 100 % and at 200 %, where the same screen is half as wide in the window's pixels.
static QList<qreal> BoxWidths(const QString &text, const QFont &font)
{
    const qreal natural = QFontMetricsF(font).horizontalAdvance(text);
    return { MessageDialog::TextWidth(font, natural, 1920), MessageDialog::TextWidth(font, natural, 960),
        MessageDialog::TextWidth(font, natural, 640) };
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
    void box_showsTheSentenceAsWrittenWithinTheScreen();
    void notice_waitsUntilTypingRests();
    void box_ignoresKeysForItsFirstMoment();
};

void TestMessages::situation_toldInFewJapaneseSentencesWithItsIcon_data()
{
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<int>("told"); // messages shown in all
    QTest::addColumn<MessageKind>("kind"); // of the last one
    QTest::addColumn<QStringList>("says");
    QTest::newRow("damaged journal") << Situation([](const QString &folder, Window *window) {
        if (!window)
            KilledWithWork(folder, true);
    }) << 1 << MessageKind::Action << QStringList({ "元に戻せませんでした" });
    QTest::newRow("work back and a sync tool's copy, one window") << Situation(
        [](const QString &folder, Window *window) {
            if (!window) {
                KilledWithWork(folder, false);
                WriteFile(folder + "/Diary20263.sync-conflict-1.xml",
                    MonthXml("<ARTICLE DATE=\"3\"><TEXT>a</TEXT></ARTICLE>"));
            }
        }) << 1 << MessageKind::Action << QStringList({ "元に戻し", "同期ソフトのコピー", "3日" });
    QTest::newRow("save into a pulled stick") << Situation([](const QString &folder, Window *window) {
        if (!window)
            return;
        window->Click("BtnNew");
        window->Type("書きかけ");
        window->form->KeepWorkNow(); // its first journal writes the diary's id into the folder
        QVERIFY(QDir(folder).removeRecursively());
        window->Click("BtnEnd");
    }) << 1 << MessageKind::Failure << QStringList({ "画面に残っています", "もう一度保存してください" });
    QTest::newRow("新規 in a month that did not open") << Situation([](const QString &folder, Window *window) {
        if (!window)
            QDir(folder).mkdir("Diary20263.xml");
        else if (QTest::qWaitFor([window] { return !window->messages.isEmpty(); }))
            window->Click("BtnNew");
    }) << 2 << MessageKind::Action << QStringList({ "編集できません" });
    QTest::newRow("the other side's copy") << Situation([](const QString &folder, Window *window) {
        if (!window)
            WriteFile(folder + "/Diary20263.xml.conflict-20260314-101500",
                MonthXml("<ARTICLE DATE=\"3\"><TEXT>a</TEXT></ARTICLE>"));
    }) << 1 << MessageKind::Action << QStringList({ "もう一方の内容のコピー", "3日" });
    QTest::newRow("a month that cannot be read") << Situation([](const QString &folder, Window *window) {
        if (!window)
            WriteFile(folder + "/Diary20263.xml", "<DIARY><ARTICLE");
    }) << 1 << MessageKind::Action << QStringList({ "Diary20263.xml" });
}

void TestMessages::situation_toldInFewJapaneseSentencesWithItsIcon()
{
    QFETCH(Situation, situation);
    QFETCH(int, told);
    QFETCH(MessageKind, kind);
    QFETCH(QStringList, says);
    QTemporaryDir state, dir;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    situation(dir.path(), nullptr);
    Window window(dir.path(), QDate(2026, 3, 15));
    QVERIFY(window.ShowAndActivate());
    situation(dir.path(), &window);
    QTRY_COMPARE(window.messages.size(), told);
    QCOMPARE(window.kinds.last(), kind);
    QCOMPARE(window.titles.last(), MessageBox::TitleOf(kind));
    const QFont font = JapaneseFonts::UiFont();
    for (const QString &text : window.messages) {
        QVERIFY2(Fault(text).isEmpty(), qPrintable(Fault(text) + u'\n' + text));
        for (const qreal width : BoxWidths(text, font)) {
            const QString broken = Broken(text, JapaneseLines::Fit(text, QFontMetricsF(font), width), font, width);
            QVERIFY2(broken.isEmpty(), qPrintable(broken + u'\n' + text));
        }
    }
    for (const QString &part : says)
        QVERIFY2(window.messages.last().contains(part), qPrintable(window.messages.last()));
}

void TestMessages::lines_breakWhereJapaneseBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("katakana words") << "別のコンピューターでも開いています。フォルダーのシンボリックリンクとメモリー。";
    QTest::newRow("dates, sentence ends") << "2026年12月7日に書いていた2026年12月の内容を元に戻し、2027年1月1日を開いて"
                                             "います。保存してください。読み込めません。中身を確かめてください。";
    QTest::newRow("captions") << "ほかの月へ移るか「保管しておわり」で保存するか、「保管せずにおわる」を選ぶ。";
    QTest::newRow("kana of a word") << "書きかけの控えをフォルダー「/tmp」に置けません。ディスクの空きが足りません。"
                                       "保存してからおわりますか？消さずに取っておいてください。この月にとどまります。"
                                       "日記のフォルダー「/tmp」に「.noterra.lock」を作れないため、開けません。";
    QTest::newRow("long path")
        << "前回の書きかけの控えが壊れていたため、元に戻せませんでした。壊れた書きかけの控えは"
           "「/home/someone/.local/state/noterra/1f0c6a2e-damaged-2026-12-07T09-15-00.journal」"
           "として残してあります。\n詳細: 書きかけの控えの中身が、書いたときと違います。\n\n"
           "「Diary202611.sync-conflict-20261207-091500-ABCDEFGHIJ.xml」: この日記にない記事がある日 11月5日";
}

void TestMessages::lines_breakWhereJapaneseBreaks()
{
    QFETCH(QString, text);
    const QFont font = JapaneseFonts::UiFont();
    const qreal character = QFontMetricsF(font).horizontalAdvance(u'あ');
    QList<qreal> widths = BoxWidths(text, font);
    for (qreal width = 14 * character; width < 40 * character; width += character / 3)
        widths.append(width);
    int qtBroken = 0;
    for (const qreal width : widths) {
        qtBroken += !Broken(text, QtLines(text, font, width), font, width).isEmpty();
        const QList<JapaneseLines::Span> lines = JapaneseLines::Fit(text, QFontMetricsF(font), width);
        const QString broken = Broken(text, lines, font, width);
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("%1 at %2").arg(broken).arg(width)));
        qsizetype next = 0; // nothing lost or added
        for (const JapaneseLines::Span &line : lines) {
            QCOMPARE(line.start, next);
            next = line.start + line.length;
            next += next < text.size() && text.at(next) == u'\n';
        }
        QCOMPARE(next, text.size());
    }
    // Qt alone breaks these texts badly: the check above can fail.
    QVERIFY(qtBroken > 0);
}

void TestMessages::box_showsTheSentenceAsWrittenWithinTheScreen()
{
    const QString text = QStringLiteral("「/home/someone/.local/state/noterra/1f0c6a2e-damaged-2026-12-07.journal」を"
                                        "残してあります。\n詳細: 中身が違います。");
    MessageDialog box(MessageBox::IconOf(MessageKind::Action), MessageBox::TitleOf(MessageKind::Action), text, nullptr);
    box.AddButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.frameGeometry().width() <= box.screen()->availableGeometry().width());
    QVERIFY(box.Text()->Lines().size() > 2);
    const QString broken = Broken(text, box.Text()->Lines(), box.Text()->font(), box.Text()->width());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    QCOMPARE(QAccessible::queryAccessibleInterface(box.Text())->text(QAccessible::Name), text);
    QCOMPARE(QAccessible::queryAccessibleInterface(box.Text())->role(), QAccessible::StaticText);
    QCOMPARE(QAccessible::queryAccessibleInterface(&box)->role(), QAccessible::AlertMessage);
    QTest::keySequence(&box, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), text);
    // A selection dragged across a line's end copies the words as written.
    const QList<JapaneseLines::Span> lines = box.Text()->Lines();
    const qreal spacing = QFontMetricsF(box.Text()->font()).lineSpacing();
    QTest::mousePress(box.Text(), Qt::LeftButton, {}, QPoint(0, qRound(spacing / 2)));
    QMouseEvent drag(QEvent::MouseMove, QPointF(box.Text()->width(), spacing * 1.5), box.Text()->mapToGlobal(QPointF()),
        Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(box.Text(), &drag);
    QTest::keySequence(box.Text(), QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), text.left(lines.at(1).start + lines.at(1).length));
}

void TestMessages::notice_waitsUntilTypingRests()
{
    QWidget editor;
    TypingPause pause;
    int shown = 0;
    pause.Run([&shown] { ++shown; });
    QCOMPARE(shown, 1); // nobody typing: at once
    QElapsedTimer clock;
    clock.start();
    qint64 shownAt = -1;
    QTest::mouseClick(&editor, Qt::LeftButton); // 新規, say, and typing right after it
    pause.Run([&] {
        shownAt = clock.elapsed();
        ++shown;
    });
    // A key while the notice waits for the click's rest starts the rest again.
    QTRY_VERIFY(clock.elapsed() >= 500);
    const qint64 keyAt = clock.elapsed();
    QTest::keyClick(&editor, Qt::Key_A);
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 30000);
    QVERIFY2(shownAt - keyAt >= 2000, qPrintable(QString::number(shownAt - keyAt)));
}

void TestMessages::box_ignoresKeysForItsFirstMoment()
{
    QElapsedTimer clock; // started before the box, so never younger than the box's own
    qint64 firstAt = -1, closedAt = -1;
    bool firstIgnored = false;
    const auto press = [&clock](QWidget *box) {
        const qint64 at = clock.elapsed();
        QTest::keyClick(box->focusWidget(), Qt::Key_Space);
        return at;
    };
    QTimer presser; // a press still due when the test fails goes with it
    QObject::connect(&presser, &QTimer::timeout, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (firstAt < 0) {
            firstAt = press(box);
            firstIgnored = QApplication::activeModalWidget() == box;
        } else if (clock.elapsed() > 30000) {
            box->close(); // a box that never hears a key fails the test instead of holding it
        } else if (const qint64 at = press(box); QApplication::activeModalWidget() != box) {
            closedAt = at;
        }
    });
    clock.start();
    presser.start(20);
    MessageBox::Show(nullptr, MessageKind::Notice, QStringLiteral("お知らせ"), QStringLiteral("お知らせです。"));
    presser.stop();
    if (firstAt >= 500)
        QSKIP("The box took half a second to open: its first moment had passed before the first press.");
    QVERIFY(firstIgnored);
    QVERIFY2(closedAt >= 500, qPrintable(QString::number(closedAt))); // -1: no key closed it
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
