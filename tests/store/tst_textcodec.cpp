#include "store/text/textcodec.h"

#include <QtTest>

class TestTextCodec : public QObject
{
    Q_OBJECT

private slots:
    void encodeText_data();
    void encodeText();
    void decodeText_data();
    void decodeText();
    void encodeThenDecode_givesEditorTextBack_data();
    void encodeThenDecode_givesEditorTextBack();
    void unstorableCharacters_data();
    void unstorableCharacters();
    void makeTitle_data();
    void makeTitle();
};

void TestTextCodec::encodeText_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("CR LF") << QStringLiteral("ab\r\ncd") << QStringLiteral("ab\\ncd");
    QTest::newRow("LF, the editor's line break") << QStringLiteral("ab\ncd") << QStringLiteral("ab\\ncd");
    QTest::newRow("ends in CR LF") << QStringLiteral("ab\r\n") << QStringLiteral("ab\\n");
    QTest::newRow("CR CR LF") << QStringLiteral("\r\r\n") << QStringLiteral("\r\\n");
    QTest::newRow("lone CR stays") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
    QTest::newRow("LF CR") << QStringLiteral("a\n\rb") << QStringLiteral("a\\n\rb");
    QTest::newRow("backslashes stay") << QStringLiteral("C:\\dir\\N") << QStringLiteral("C:\\dir\\N");
    QTest::newRow("Japanese lines") << QStringLiteral(u"買い物\nミルク") << QStringLiteral(u"買い物\\nミルク");
    // Stored as the month file will hold them, so that the month and its file agree.
    QTest::newRow("control characters") << QStringLiteral("a\x01z\x0C\tc") << QStringLiteral(u"a\uFFFDz\uFFFD\tc");
    QTest::newRow("half a surrogate pair")
        << QString(QChar(0xDC00)) + QStringLiteral(u"\U0001F600") << QStringLiteral(u"\uFFFD\U0001F600");
}

void TestTextCodec::encodeText()
{
    QFETCH(QString, display);
    QFETCH(QString, stored);
    QCOMPARE(TextCodec::EncodeText(display), stored);
}

void TestTextCodec::decodeText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("display");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("marker") << QStringLiteral("ab\\ncd") << QStringLiteral("ab\ncd");
    QTest::newRow("ends in marker") << QStringLiteral("ab\\n") << QStringLiteral("ab\n");
    QTest::newRow("backslash backslash n") << QStringLiteral("\\\\n") << QStringLiteral("\\\n");
    QTest::newRow("capital N is no marker") << QStringLiteral("a\\Nb") << QStringLiteral("a\\Nb");
    QTest::newRow("lone LF stays") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("trailing backslash") << QStringLiteral("a\\") << QStringLiteral("a\\");
    QTest::newRow("markers only") << QStringLiteral("\\n\\n") << QStringLiteral("\n\n");
}

void TestTextCodec::decodeText()
{
    QFETCH(QString, stored);
    QFETCH(QString, display);
    QCOMPARE(TextCodec::DecodeText(stored), display);
}

void TestTextCodec::encodeThenDecode_givesEditorTextBack_data()
{
    QTest::addColumn<QString>("display");
    QTest::newRow("lines") << QStringLiteral(u"一行目\n二行目\n\n");
    QTest::newRow("spaces and CR") << QStringLiteral(u" \u3000a\rb ");
    QTest::newRow("backslash not before n") << QStringLiteral("C:\\dir\\N");
}

void TestTextCodec::encodeThenDecode_givesEditorTextBack()
{
    QFETCH(QString, display);
    QCOMPARE(TextCodec::DecodeText(TextCodec::EncodeText(display)), display);
}

void TestTextCodec::unstorableCharacters_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("tab, line breaks, a pair, U+FFFD") << QStringLiteral(u"\t\r\n\U0001F600\uFFFD") << QStringList();
    QTest::newRow("each once") << QStringLiteral("\x0C\x01\x0C") << QStringList({ "U+000C", "U+0001" });
    QTest::newRow("half a pair") << QString(QChar(0xD83D)) << QStringList({ "U+D83D" });
}

void TestTextCodec::unstorableCharacters()
{
    QFETCH(QString, display);
    QFETCH(QStringList, named);
    QCOMPARE(TextCodec::UnstorableCharacters(display), named);
}

void TestTextCodec::makeTitle_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("title");
    const QString twenty = QStringLiteral(u"一二三四五六七八九十abcdefghij");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("no marker, 12 characters") << twenty.left(12) << twenty.left(12);
    QTest::newRow("no marker, 19 characters") << twenty.left(19) << twenty.left(19);
    QTest::newRow("no marker, 20 characters") << twenty << twenty.left(19);
    QTest::newRow("no marker, 25 characters") << twenty + QStringLiteral("12345") << twenty.left(19);
    QTest::newRow("begins with a line break") << QStringLiteral("\\nRoom 3") << QString();
    QTest::newRow("Meeting, marker, Room 3") << QStringLiteral("Meeting\\nRoom 3") << QStringLiteral("Meeting");
    QTest::newRow("marker at 20") << twenty.left(19) + QStringLiteral("\\nx") << twenty.left(19);
    QTest::newRow("marker at 21") << twenty + QStringLiteral("\\nx") << twenty;
    QTest::newRow("marker at 26") << twenty + QStringLiteral("12345\\nx") << twenty;
    QTest::newRow("lone LF stays in the title") << QStringLiteral("a\nb\\nc") << QStringLiteral("a\nb");
    const QString emoji = QStringLiteral(u"\U0001F600");
    QTest::newRow("an emoji cut in half at 19 is left out")
        << twenty.left(18) + emoji + QStringLiteral("x") << twenty.left(18);
    QTest::newRow("an emoji whole within 19 stays")
        << twenty.left(17) + emoji + QStringLiteral("xy") << twenty.left(17) + emoji;
}

void TestTextCodec::makeTitle()
{
    QFETCH(QString, stored);
    QFETCH(QString, title);
    QCOMPARE(TextCodec::MakeTitle(stored), title);
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
