#include "calendar/calendargrid.h"
#include "calendar/japaneseholidays.h"

#include <QFile>
#include <QTest>
#include <QToolTip>

class TestJapaneseHolidays : public QObject
{
    Q_OBJECT

private slots:
    // A listed name stands for the calendar's names after it, separated by '|'; the Cabinet Office
    // writes "休日" for substitute days and days between two holidays alike.
    void everyDay_asPublished_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("dayOff");
        QTest::newRow("Cabinet Office 1955-2027") << "holidays-cabinet-office.csv"
                                                  << "振替休日|国民の休日";
        QTest::newRow("holiday_jp 1970-2050") << "holidays-holiday_jp.csv"
                                              << "国民の休日";
    }

    void everyDay_asPublished()
    {
        QFETCH(QString, file);
        QFETCH(QString, dayOff);
        const QHash<QString, QString> renames = { { "休日", dayOff }, { "大喪の礼", "昭和天皇の大喪の礼" },
            { "体育の日（スポーツの日）", "体育の日" }, { "休日（祝日扱い）", "天皇の即位の日|即位礼正殿の儀" } };
        QFile list(QFINDTESTDATA("data/" + file));
        QVERIFY2(list.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(list.errorString()));
        QMap<QDate, QString> listed;
        for (const QString &line : QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts)) {
            // holiday_jp writes "<holiday> 振替休日" for a substitute day.
            const QString name = line.section(',', 1).section(' ', -1);
            if (!line.startsWith('#'))
                listed.insert(QDate::fromString(line.left(10), Qt::ISODate), renames.value(name, name));
        }
        QCOMPARE_GT(listed.size(), 1000);
        for (QDate day(listed.firstKey().year(), 1, 1); day.year() <= listed.lastKey().year(); day = day.addDays(1)) {
            const QString shown = JapaneseHolidays::Name(day);
            QVERIFY2(listed.value(day).split('|').contains(shown), qPrintable(day.toString(Qt::ISODate) + ' ' + shown));
        }
    }

    // Days no list holds or names exactly, none a Sunday; January 2027's grid starts in December.
    void dayCell_redNamedAndSpoken_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("holiday") << QDate(2027, 1, 1) << "2027年1月1日 金曜日 元日";
        QTest::newRow("before the law") << QDate(1948, 5, 5) << "1948年5月5日 水曜日";
        QTest::newRow("first under the law") << QDate(1948, 9, 23) << "1948年9月23日 木曜日 秋分の日";
        QTest::newRow("enthronement") << QDate(2019, 5, 1) << "2019年5月1日 水曜日 天皇の即位の日";
        QTest::newRow("enthronement ceremony") << QDate(2019, 10, 22) << "2019年10月22日 火曜日 即位礼正殿の儀";
        QTest::newRow("past 2099") << QDate(2100, 1, 1) << "2100年1月1日 金曜日";
    }

    void dayCell_redNamedAndSpoken()
    {
        QFETCH(QDate, date);
        QFETCH(QString, spoken);
        const QString holiday = spoken.section(' ', 2);
        QCOMPARE(CalendarGrid::DateName(date), spoken);
        CalendarGrid grid;
        grid.ShowDate(date);
        const QRect cell = grid.CellRect(grid.SelectedIndex());
        const QImage image = grid.grab(cell).toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        const bool drawnRed = std::any_of(pixels, pixels + image.width() * image.height(),
            [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; });
        QCOMPARE(drawnRed, !holiday.isEmpty());
        QHelpEvent help(QEvent::ToolTip, cell.center(), grid.mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(&grid, &help);
        QTRY_COMPARE(QToolTip::text(), holiday);
    }
};

QTEST_MAIN(TestJapaneseHolidays)
#include "tst_japaneseholidays.moc"
