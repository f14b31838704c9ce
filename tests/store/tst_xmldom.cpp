#include "store/xml/xmldom.h"
#include "storefixtures.h"
#include "usermessages/storeerror.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

class TestXmlDom : public QObject
{
    Q_OBJECT

private slots:
    void load_eachEncoding_readsTheSameMonth_data();
    void load_eachEncoding_readsTheSameMonth();
    void load_shiftJis_readsCodePage932_data();
    void load_shiftJis_readsCodePage932();
    void roundTrip_keepsTextExactly_data();
    void roundTrip_keepsTextExactly();
    void setText_nonXmlCharacters_becomeReplacementCharacter_data();
    void setText_nonXmlCharacters_becomeReplacementCharacter();
    void load_indentation_becomesNoChild();
    void declaration_isTheFirstNodeOfItsOwn();
    void hostileDocument_failsFastAndReadsNothingElse_data();
    void hostileDocument_failsFastAndReadsNothingElse();
    void nodeOperations_onMisuse_throw();
};

void TestXmlDom::load_eachEncoding_readsTheSameMonth_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Shift_JIS as code page 932") << Fixtures::Cp932Month();
    QTest::newRow("UTF-8") << Fixtures::Utf8Month();
    QTest::newRow("EUC-JP") << Fixtures::EucJpMonth();
    QTest::newRow("UTF-16 with byte-order mark") << Fixtures::Utf16Month();
    QTest::newRow("no declaration") << Fixtures::NoDeclarationMonth();
}

void TestXmlDom::load_eachEncoding_readsTheSameMonth()
{
    QFETCH(QByteArray, bytes);
    XmlDocument doc;
    QString error;
    QVERIFY2(doc.loadXml(bytes, &error), qPrintable(error));

    QCOMPARE(doc.documentElement().nodeName(), QStringLiteral("DIARY"));
    const std::vector<XmlNode> articles = doc.getElementsByTagName(QStringLiteral("ARTICLE"));
    QCOMPARE(articles.size(), 2u);
    QCOMPARE(articles[0].getAttribute(QStringLiteral("DATE")), QStringLiteral("12"));
    QCOMPARE(articles[1].childNodes().size(), 2u);
    QCOMPARE(Fixtures::EntryTexts(doc), Fixtures::Entries());
    // Written back in its own encoding, declaration and all, byte for byte.
    QCOMPARE(doc.saveXml(), bytes);
}

// Every name Japanese Windows tools write for Shift_JIS means code page 932, on every version of
// the library, whether it knows the name as an alias or is handed the converter.
void TestXmlDom::load_shiftJis_readsCodePage932_data()
{
    QTest::addColumn<QByteArray>("encoding");
    for (const char *name :
        { "Shift_JIS", "SHIFT-JIS", "ShiftJIS", "SJIS", "MS_Kanji", "csShiftJIS", "x-sjis", "MS932", "Windows-31J" })
        QTest::newRow(name) << QByteArray(name);
}

void TestXmlDom::load_shiftJis_readsCodePage932()
{
    QFETCH(QByteArray, encoding);
    const QByteArray bytes = Fixtures::Declaration(encoding)
        + "<DIARY><ARTICLE DATE=\"1\"><TEXT>a\\nb\x87\x40\x81\x60\x87\x8A\xFB\xFC\x95\x5Cn</TEXT></ARTICLE></DIARY>\n";
    XmlDocument doc;
    QString error;
    QVERIFY2(doc.loadXml(bytes, &error), qPrintable(error));
    // The second byte of 表 is 0x5C, yet with the n after it there is no line-break marker.
    QCOMPARE(Fixtures::EntryTexts(doc), QStringList(QStringLiteral(u"a\\nb①～㈱髙表n")));
    QCOMPARE(doc.saveXml(), bytes);
}

void TestXmlDom::roundTrip_keepsTextExactly_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("text");
    const QList<std::pair<const char *, QString>> texts = {
        { "markup characters", QStringLiteral("& < > \" ' ]]>") },
        { "looks like markup", QStringLiteral("<TEXT>x</TEXT><!-- c --><?pi?>") },
        { "entity and character references as text", QStringLiteral("&amp; &lt; &#65; &#x3042; &foo;") },
        { "half-width katakana", QStringLiteral(u"ﾆｯｷ ﾃﾞｽ") },
        { "leading and trailing spaces", QStringLiteral(u"  間 \u3000") },
        { "emoji", QStringLiteral(u"晴れ\U0001F600") },
        { "rare kanji", QStringLiteral(u"丂𠮷髙") },
        { "carriage return, line feed, tab", QStringLiteral("a\rb\nc\r\nd\te") },
        { "characters some converters map to others", QStringLiteral(u"C:\\dir ¥n ‾ 〜 — ‖ − ¢ £ ¬") },
    };
    for (const char *encoding : { "Shift_JIS", "UTF-8", "EUC-JP", "UTF-16" }) {
        for (const auto &[name, text] : texts)
            QTest::newRow((QByteArray(encoding) + ", " + name).constData()) << QString::fromLatin1(encoding) << text;
    }
}

void TestXmlDom::roundTrip_keepsTextExactly()
{
    QFETCH(QString, encoding);
    QFETCH(QString, text);
    XmlDocument doc;
    doc.appendChild(doc.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"%1\"").arg(encoding)));
    XmlNode entry = doc.appendChild(doc.createElement(QStringLiteral("DIARY")))
                        .appendChild(doc.createElement(QStringLiteral("TEXT")));
    entry.setText(text);
    entry.setAttribute(QStringLiteral("NOTE"), text);

    XmlDocument loaded;
    QString error;
    QVERIFY2(loaded.loadXml(doc.saveXml(), &error), qPrintable(error));
    QCOMPARE(Fixtures::EntryTexts(loaded), QStringList(text));
    QCOMPARE(loaded.documentElement().childNodes().front().getAttribute(QStringLiteral("NOTE")), text);
}

void TestXmlDom::setText_nonXmlCharacters_becomeReplacementCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("control character") << QStringLiteral("a\x01z") << QStringLiteral(u"a\uFFFDz");
    QTest::newRow("NUL") << QString(QStringLiteral("a%1z").arg(QChar(0))) << QStringLiteral(u"a\uFFFDz");
    QTest::newRow("lone high surrogate") << QString(QStringLiteral("a") + QChar(0xD800) + u'z')
                                         << QStringLiteral(u"a\uFFFDz");
    QTest::newRow("lone low surrogate at end")
        << QString(QStringLiteral("a") + QChar(0xDC00)) << QStringLiteral(u"a\uFFFD");
    QTest::newRow("noncharacter U+FFFE") << QString(QStringLiteral("a") + QChar(0xFFFE)) << QStringLiteral(u"a\uFFFD");
}

void TestXmlDom::setText_nonXmlCharacters_becomeReplacementCharacter()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    XmlDocument doc;
    doc.appendChild(doc.createElement(QStringLiteral("TEXT"))).setText(text);
    XmlDocument loaded;
    QString error;
    QVERIFY2(loaded.loadXml(doc.saveXml(), &error), qPrintable(error));
    QCOMPARE(loaded.documentElement().text(), stored);
}

void TestXmlDom::load_indentation_becomesNoChild()
{
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DIARY>\r\n  <ARTICLE DATE=\"3\">\r\n"
                             "    <TEXT>  two spaces  </TEXT>\n\t<TEXT>   </TEXT>\n  </ARTICLE>\n"
                             "  <ARTICLE DATE=\"5\">\n  </ARTICLE>\n</DIARY>\n";
    XmlDocument doc;
    QString error;
    QVERIFY2(doc.loadXml(bytes, &error), qPrintable(error));
    const std::vector<XmlNode> articles = doc.documentElement().childNodes();
    QCOMPARE(articles.size(), 2u);
    QCOMPARE(articles[0].childNodes().size(), 2u);
    QVERIFY(!articles[1].hasChildNodes());
    QCOMPARE(Fixtures::EntryTexts(doc), QStringList({ QStringLiteral("  two spaces  "), QStringLiteral("   ") }));
}

void TestXmlDom::declaration_isTheFirstNodeOfItsOwn()
{
    XmlDocument doc;
    QCOMPARE(doc.saveXml(), QByteArray());
    const XmlNode declaration = doc.appendChild(doc.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"Shift_JIS\"")));
    doc.appendChild(doc.createElement(QStringLiteral("DIARY")));
    QCOMPARE(declaration.nodeName(), QStringLiteral("xml"));
    QCOMPARE(doc.documentElement().nodeName(), QStringLiteral("DIARY"));
    QCOMPARE(doc.saveXml(), QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<DIARY/>\n"));

    QString error;
    QVERIFY(doc.loadXml("<DIARY/>", &error));
    QCOMPARE(doc.saveXml(), QByteArray("<DIARY/>\n"));
}

void TestXmlDom::hostileDocument_failsFastAndReadsNothingElse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    const QByteArray laughs
        = "<!DOCTYPE DIARY [<!ENTITY a \"aaaaaaaaaa\">"
          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
          "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
          "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>";
    QTest::newRow("entity expansion in content") << laughs + "<DIARY><TEXT>&i;</TEXT></DIARY>" << false;
    QTest::newRow("entity expansion in attribute") << laughs + "<DIARY DATE=\"&i;\"/>" << false;
    QTest::newRow("absurd nesting") << QByteArray("<a>").repeated(100000) + "x" + QByteArray("</a>").repeated(100000)
                                    << false;
    QTest::newRow("external entity") << QByteArray("<!DOCTYPE DIARY [<!ENTITY x SYSTEM \"SECRET\">]>"
                                                   "<DIARY><TEXT>&x;</TEXT></DIARY>")
                                     << true;
    QTest::newRow("external parameter entity") << QByteArray("<!DOCTYPE DIARY [<!ENTITY % p SYSTEM \"SECRET\"> %p;]>"
                                                             "<DIARY><TEXT>t</TEXT></DIARY>")
                                               << true;
    QTest::newRow("external DTD") << QByteArray("<!DOCTYPE DIARY SYSTEM \"SECRET\"><DIARY><TEXT>&x;</TEXT></DIARY>")
                                  << true;
}

void TestXmlDom::hostileDocument_failsFastAndReadsNothingElse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray secret = "the content of another file";
    QVERIFY(Fixtures::WriteFile(dir.filePath(QStringLiteral("SECRET")), secret));
    bytes.replace("SECRET", QUrl::fromLocalFile(dir.filePath(QStringLiteral("SECRET"))).toEncoded());

    XmlDocument doc;
    QString error;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(doc.loadXml(bytes, &error), loads);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    if (!loads) {
        QVERIFY(!error.isEmpty());
        QCOMPARE(doc.saveXml(), QByteArray());
        return;
    }
    QVERIFY(!Fixtures::EntryTexts(doc).join(QString()).contains(QString::fromLatin1(secret)));
    QVERIFY(!doc.saveXml().contains(secret));
}

void TestXmlDom::nodeOperations_onMisuse_throw()
{
    XmlDocument doc;
    XmlNode root = doc.appendChild(doc.createElement(QStringLiteral("DIARY")));
    QVERIFY_THROWS_EXCEPTION(StoreError, doc.appendChild(doc.createElement(QStringLiteral("DIARY"))));
    QVERIFY_THROWS_EXCEPTION(StoreError, doc.createElement(QStringLiteral("NO NAME")));
    QVERIFY_THROWS_EXCEPTION(StoreError, XmlNode().text());
    QVERIFY_THROWS_EXCEPTION(StoreError, root.removeChild(root));
    QVERIFY_THROWS_EXCEPTION(StoreError,
        root.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\""))));
    QVERIFY_THROWS_EXCEPTION(StoreError,
        doc.appendChild(
            doc.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("encoding=\"NO-SUCH-CODE\""))));
    QVERIFY(root.childNodes().empty());
}

QTEST_GUILESS_MAIN(TestXmlDom)
#include "tst_xmldom.moc"
