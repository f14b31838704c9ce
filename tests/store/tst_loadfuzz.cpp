#include "store/xml/xmldom.h"
#include "storefixtures.h"
#include "usermessages/storeerror.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// Fixed, so that a failure repeats; NOTERRA_FUZZ_SEED explores other runs.
constexpr quint32 DefaultSeed = 20261207;
constexpr int Mutations = 20000;
constexpr qint64 TimeBudgetMs = 20000;

const QByteArrayList Tokens = {
    "<",
    ">",
    "&",
    "\"",
    "'",
    "]]>",
    "<![CDATA[",
    "<!--",
    "-->",
    "<?xml version=\"1.0\"?>",
    "&#0;",
    "&#x1F600;",
    "&amp;",
    "&e;",
    "<!DOCTYPE DIARY [<!ENTITY e \"&#38;#60;\">]>",
    "<TEXT>",
    "</TEXT>",
    "<ARTICLE DATE=\"1\">",
    " encoding=\"UTF-16\"",
    " encoding=\"EUC-JP\"",
    "\xEF\xBB\xBF",
    "\xFF\xFE",
    "\x81",
    "\x5C",
    "\r\n",
    "\t",
};

class Mutator
{
public:
    explicit Mutator(quint32 seed)
        : m_random(seed)
    {
    }

    QByteArray Mutate(QByteArray bytes)
    {
        for (int count = Bounded(1, 3); count > 0; --count)
            MutateOnce(bytes);
        return bytes;
    }

private:
    int Bounded(int low, int high) { return int(m_random.bounded(low, high)); }
    qsizetype Position(const QByteArray &bytes) { return bytes.isEmpty() ? 0 : Bounded(0, int(bytes.size())); }

    void MutateOnce(QByteArray &bytes)
    {
        const qsizetype at = Position(bytes);
        switch (Bounded(0, 12)) {
        case 0:
        case 6:
        case 7:
            if (!bytes.isEmpty())
                bytes[at] = char(bytes.at(at) ^ (1 << Bounded(0, 8)));
            break;
        case 1:
            if (!bytes.isEmpty())
                bytes[at] = char(Bounded(0, 256));
            break;
        case 2:
        case 8:
        case 9:
        case 10:
            bytes.insert(at, Tokens.at(Bounded(0, int(Tokens.size()))));
            break;
        case 3:
            bytes.remove(at, Bounded(1, 16));
            break;
        case 4:
            bytes.insert(at, bytes.mid(Position(bytes), Bounded(1, 64)));
            break;
        default:
            bytes.truncate(at);
            break;
        }
    }

    QRandomGenerator m_random;
};

}

class TestLoadFuzz : public QObject
{
    Q_OBJECT

private slots:
    void mutatedMonths_loadOrFailCleanly();
};

// Whatever a month file holds, loading either fails and leaves an empty document, or succeeds;
// then the document can be written, and what is written loads again with the same entries.
void TestLoadFuzz::mutatedMonths_loadOrFailCleanly()
{
    const QByteArrayList seeds = { Fixtures::Cp932Month(), Fixtures::Utf8Month(), Fixtures::EucJpMonth(),
        Fixtures::Utf16Month(), Fixtures::NoDeclarationMonth() };
    bool seedGiven = false;
    const int givenSeed = qEnvironmentVariableIntValue("NOTERRA_FUZZ_SEED", &seedGiven);
    const quint32 seed = seedGiven ? quint32(givenSeed) : DefaultSeed;
    Mutator mutator(seed);
    XmlDocument doc;
    XmlDocument again;
    QElapsedTimer timer;
    timer.start();
    int loaded = 0;
    int tried = 0;
    for (; tried < Mutations && timer.elapsed() < TimeBudgetMs; ++tried) {
        const QByteArray bytes = mutator.Mutate(seeds.at(tried % seeds.size()));
        QString error;
        if (!doc.loadXml(bytes, &error)) {
            QVERIFY2(doc.saveXml().isEmpty(), bytes.toPercentEncoding().constData());
            QVERIFY(!error.isEmpty());
            continue;
        }
        ++loaded;
        QByteArray written;
        try {
            written = doc.saveXml();
        } catch (const StoreError &failure) {
            QFAIL(qPrintable(failure.message() + u' ' + QString::fromLatin1(bytes.toPercentEncoding())));
        }
        QVERIFY2(
            again.loadXml(written, &error), qPrintable(error + u' ' + QString::fromLatin1(bytes.toPercentEncoding())));
        QCOMPARE(Fixtures::EntryTexts(again), Fixtures::EntryTexts(doc));
    }
    qInfo("seed %u: %d mutated months, %d of them loaded", seed, tried, loaded);
    QVERIFY(loaded > 0 && loaded < tried);
}

QTEST_GUILESS_MAIN(TestLoadFuzz)
#include "tst_loadfuzz.moc"
