#include "ui/failurereport.h"
#include "usermessages/storeerror.h"

#include <QtTest>
#include <new>
#include <stdexcept>

Q_DECLARE_METATYPE(std::function<void()>)

// Whatever a handling throws must end as the user's text at the slot boundary, never beyond it:
// Japanese first, saying the files are as last saved, and the system's own text after it.
class TestFailureReport : public QObject
{
    Q_OBJECT

private slots:
    void guarded_turnsWhatIsThrownIntoTheUsersText_data();
    void guarded_turnsWhatIsThrownIntoTheUsersText();
};

void TestFailureReport::guarded_turnsWhatIsThrownIntoTheUsersText_data()
{
    QTest::addColumn<std::function<void()>>("handling");
    QTest::addColumn<QString>("systemText");
    QTest::newRow("nothing thrown, nothing told") << std::function<void()>([] {}) << QString();
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << "ほかのプログラムを閉じてから、もう一度行ってください。";
    QTest::newRow("the library's error") << std::function<void()>([] { throw std::runtime_error("Unknown error"); })
                                         << "\n詳細: Unknown error";
    QTest::newRow("the XML layer's error")
        << std::function<void()>([] { throw StoreError("operation on a node that does not exist"); })
        << "\n詳細: operation on a node that does not exist";
}

void TestFailureReport::guarded_turnsWhatIsThrownIntoTheUsersText()
{
    QFETCH(std::function<void()>, handling);
    QFETCH(QString, systemText);
    QStringList told;
    FailureReport::Guarded(handling, [&told](const QString &text) { told.append(text); });
    if (systemText.isEmpty()) {
        QVERIFY(told.isEmpty());
        return;
    }
    QCOMPARE(told.size(), 1);
    const QString message = told.first();
    QVERIFY2(message.front().unicode() > 0x3000 && message.endsWith(systemText), qPrintable(message));
    QVERIFY(message.contains("日記のファイルは、最後に保存したときのまま"));
}

QTEST_GUILESS_MAIN(TestFailureReport)
#include "tst_failurereport.moc"
