#include "store/storeerror.h"
#include "ui/failurereport.h"

#include <QtTest>
#include <stdexcept>

Q_DECLARE_METATYPE(std::function<void()>)

// Whatever a handling throws must end as the user's text at the slot boundary, never beyond it.
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
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("nothing thrown, nothing told") << std::function<void()>([] { }) << QStringList();
    QTest::newRow("the store's own message")
        << std::function<void()>([] { throw StoreError(QStringLiteral("ディスクがいっぱいです")); })
        << QStringList { QStringLiteral("ディスクがいっぱいです") };
    QTest::newRow("any other failure, the system's text")
        << std::function<void()>([] { throw std::runtime_error("No space left on device"); })
        << QStringList { QStringLiteral("No space left on device") };
}

void TestFailureReport::guarded_turnsWhatIsThrownIntoTheUsersText()
{
    QFETCH(std::function<void()>, handling);
    QFETCH(QStringList, reported);
    QStringList told;
    FailureReport::Guarded(handling, [&told](const QString &text) { told.append(text); });
    QCOMPARE(told, reported);
}

QTEST_GUILESS_MAIN(TestFailureReport)
#include "tst_failurereport.moc"
