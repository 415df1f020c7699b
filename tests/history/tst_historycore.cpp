// The widget-free part of the history: SQL text, date-time values, gap scan
// and export file names.
#include "datetimevalue.h"
#include "gapscan.h"
#include "historyexport.h"
#include "historysql.h"

#include <QTest>

using kd::history::AxisBreak;

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<AxisBreak>)

namespace {
double at(int day, int hour, int minute)  // days of March 2014
{
    return kd::history::daysFromDateTime(QDateTime(QDate(2014, 3, day), QTime(hour, minute)));
}
}  // namespace

class TestHistoryCore : public QObject {
    Q_OBJECT

private slots:
    void historySql_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("span");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("sql");
        QTest::newRow("span of five days: day after bis")
            << "FF-FF-FF-FF-FF-FF" << true << QDate(2014, 3, 1) << QDate(2014, 3, 5)
            << "SELECT * FROM \"FF-FF-FF-FF-FF-FF\"  WHERE datetime < '2014-03-06' AND "
               "datetime >= '2014-03-01' ORDER BY datetime ASC";
        QTest::newRow("whole table")
            << "FF-FF-FF-FF-FF-FF" << false << QDate(2014, 3, 1) << QDate(2014, 3, 5)
            << "SELECT * FROM \"FF-FF-FF-FF-FF-FF\"  ORDER BY datetime ASC";
        QTest::newRow("year end rolls into next year")
            << "00-1E" << true << QDate(2013, 1, 1) << QDate(2013, 12, 31)
            << "SELECT * FROM \"00-1E\"  WHERE datetime < '2014-01-01' AND datetime >= "
               "'2013-01-01' ORDER BY datetime ASC";
        QTest::newRow("one day") << "t" << true << QDate(2016, 2, 29) << QDate(2016, 2, 29)
                                 << "SELECT * FROM \"t\"  WHERE datetime < '2016-03-01' AND "
                                    "datetime >= '2016-02-29' ORDER BY datetime ASC";
        // Guards against a name with a quote breaking out of the identifier.
        QTest::newRow("quote in name doubled")
            << "a\"; DROP TABLE Logger; --" << false << QDate() << QDate()
            << "SELECT * FROM \"a\"\"; DROP TABLE Logger; --\"  ORDER BY datetime ASC";
    }
    void historySql() {
        QFETCH(QString, table);
        QFETCH(bool, span);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, sql);
        QCOMPARE(kd::history::historySql(table, span, from, to), sql);
    }

    void fixedStatements() {
        QCOMPARE(kd::history::intervalSql(600), "UPDATE Logger SET Intervall=600 WHERE id = 1;");
        QCOMPARE(kd::history::loggerSettingsSql(), "SELECT * FROM Logger  WHERE id = 1;");
    }

    void gapScan_data() {
        QTest::addColumn<std::vector<double>>("x");
        QTest::addColumn<std::vector<AxisBreak>>("breaks");
        QTest::addColumn<int>("gap");
        std::vector<double> sixMinutes;
        for (int m = 0; m < 600; m += 6)
            sixMinutes.push_back(at(1, 0, 0) + m / 1440.0);
        QTest::newRow("steady six minutes") << sixMinutes << std::vector<AxisBreak>{} << 20;
        QTest::newRow("70 minutes apart: no break")
            << std::vector<double>{at(1, 8, 0), at(1, 9, 10)} << std::vector<AxisBreak>{} << 20;
        QTest::newRow("75 minutes apart: one break")
            << std::vector<double>{at(1, 8, 0), at(1, 9, 15)}
            << std::vector<AxisBreak>{{at(1, 8, 0), at(1, 9, 15)}} << 10;
        std::vector<double> twoStops;
        for (int m = 0; m < 24 * 60; m += 6) {
            const bool firstStop = m > 10 * 60 && m < 11 * 60 + 30;
            const bool secondStop = m > 15 * 60 && m < 17 * 60;
            if (!firstStop && !secondStop)
                twoStops.push_back(at(2, 0, 0) + m / 1440.0);
        }
        QTest::newRow("stops 10:00-11:30 and 15:00-17:00: gap 20")
            << twoStops
            << std::vector<AxisBreak>{{at(2, 10, 0), at(2, 11, 30)}, {at(2, 15, 0), at(2, 17, 0)}}
            << 20;
        QTest::newRow("empty result: no break")
            << std::vector<double>{} << std::vector<AxisBreak>{} << 20;
        QTest::newRow("one reading: no break")
            << std::vector<double>{at(1, 0, 0)} << std::vector<AxisBreak>{} << 20;
    }
    void gapScan() {
        QFETCH(std::vector<double>, x);
        QFETCH(std::vector<AxisBreak>, breaks);
        QFETCH(int, gap);
        const auto found = kd::history::scanGaps(x);
        QCOMPARE(found.size(), breaks.size());
        for (std::size_t i = 0; i < breaks.size(); ++i) {
            QCOMPARE(found[i].start, breaks[i].start);
            QCOMPARE(found[i].end, breaks[i].end);
        }
        // A former gap of 20 stays when nothing is found.
        QCOMPARE(kd::history::gapPixels(found.size(), 20), gap);
    }

    void daysFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("days");
        QTest::newRow("epoch") << "1899-12-30 00:00:00" << 0.0;
        QTest::newRow("date only") << "2013-01-01" << 41275.0;
        QTest::newRow("noon") << "2013-01-01 12:00:00" << 41275.5;
        QTest::newRow("minutes only") << "2013-01-01 06:00" << 41275.25;
        QTest::newRow("T separator") << "2013-01-01T18:00:00" << 41275.75;
        QTest::newRow("leap day") << "2016-02-29 00:00:00" << 42429.0;
        QTest::newRow("not a date") << "hello" << -1.0;
        QTest::newRow("bad month") << "2013-13-01 00:00:00" << -1.0;
        QTest::newRow("bad hour") << "2013-01-01 25:00:00" << -1.0;
    }
    void daysFromText() {
        QFETCH(QString, text);
        QFETCH(double, days);
        const auto v = kd::history::daysFromText(text);
        const QByteArray utf8 = text.toUtf8();
        const auto w = kd::history::daysFromUtf8(utf8.constData(), int(utf8.size()));
        if (days < 0) {
            QVERIFY(!v && !w);
            return;
        }
        QVERIFY(v && w);
        QCOMPARE(*v, days);
        QCOMPARE(*w, days);
        QCOMPARE(
            kd::history::dateTimeFromDays(days).toString("yyyy-MM-dd hh:mm:ss"),
            QDateTime::fromString(text.left(10), "yyyy-MM-dd")
                .addSecs(text.size() >= 16
                             ? QTime::fromString(text.mid(11, 5), "hh:mm").msecsSinceStartOfDay() /
                                   1000
                             : 0)
                .toString("yyyy-MM-dd hh:mm:ss"));
    }

    void exportTimeTextRoundsToTheMillisecond() {
        // 10:00 stored as days is not exact in binary; the text must not read 09:59.
        QCOMPARE(kd::history::exportTimeText(41275.0 + 10.0 / 24.0), "01.01.13 10:00");
        QCOMPARE(kd::history::exportTimeText(at(5, 23, 59)), "05.03.14 23:59");
    }

    void exportFileName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("xls kept") << "/tmp/a.xls"
                                  << "/tmp/a.xls";
        QTest::newRow("mixed case kept") << "/tmp/a.Xls"
                                         << "/tmp/a.Xls";
        QTest::newRow("txt replaced") << "/tmp/a.txt"
                                      << "/tmp/a.XLS";
        QTest::newRow("no extension") << "/tmp/a"
                                      << "/tmp/a.XLS";
        QTest::newRow("dot in folder only") << "/tmp/x.d/a"
                                            << "/tmp/x.d/a.XLS";
        QTest::newRow("windows folder") << "C:\\x.d\\b.csv"
                                        << "C:\\x.d\\b.XLS";
        QTest::newRow("xlsx replaced") << "/tmp/a.xlsx"
                                       << "/tmp/a.XLS";
    }
    void exportFileName() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(kd::history::exportFileName(chosen), written);
    }

    void databasePathFromEnvironment() {
        qputenv("KD7634_DATABASE", "/tmp/somewhere.db");
        QCOMPARE(kd::history::databasePath(), "/tmp/somewhere.db");
        qunsetenv("KD7634_DATABASE");
#ifdef Q_OS_WIN
        QCOMPARE(kd::history::databasePath(), "C:\\KWB\\kwb.db");
#else
        QCOMPARE(kd::history::databasePath(), "/var/lib/kwb/kwb.db");
#endif
    }
};

QTEST_APPLESS_MAIN(TestHistoryCore)
#include "tst_historycore.moc"
