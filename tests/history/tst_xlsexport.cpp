// The spreadsheet export read back by an independent reader (xlrd under
// Debian's /usr/bin/python3): every cell, its type, the column widths and the
// sheet protection as written.
#include "historyexport.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using kd::history::ExportData;
using kd::history::ExportSeries;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// 2013-01-01 00:00 plus six minutes per point, as days since 30.12.1899.
double pointX(int i) {
    return 41275.0 + i * 6.0 / 1440.0;
}

QString oracleText(double days) {
    const QDateTime t =
        QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(qRound64(days * 86400000.0));
    return t.toString(QStringLiteral("dd.MM.yy hh:mm"));
}

ExportData makeData(int points, const QStringList& titles) {
    ExportData d;
    for (int i = 0; i < points; ++i)
        d.x.push_back(pointX(i));
    for (int k = 0; k < titles.size(); ++k) {
        ExportSeries s{titles[k], {}};
        for (int i = 0; i < points; ++i)
            s.y.push_back(10 * (k + 1) + (i % 97) * 0.25);
        d.series.push_back(std::move(s));
    }
    return d;
}

QJsonArray readBack(const QString& path) {
    QProcess p;
    p.start(kPython, {QFINDTESTDATA("xlsread.py"), path});
    if (!p.waitForFinished(240000) || p.exitCode() != 0) {
        qWarning().noquote() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

}  // namespace

class TestXlsExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QProcess p;
        p.start(kPython, {QStringLiteral("-c"), QStringLiteral("import xlrd, olefile")});
        if (!p.waitForFinished() || p.exitCode() != 0)
            QSKIP("python3-xlrd / python3-olefile not installed for /usr/bin/python3");
    }

    void cellsAsWritten_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("default series, 100 points") << 100 << QStringList{"Humi. up", "Humi. down"};
        QTest::newRow("error series switched on")
            << 7 << QStringList{"Humi. up", "Humi. down", "error"};
        QTest::newRow("Series1 switched off moves Humi. down to C")
            << 5 << QStringList{"Humi. down"};
        QTest::newRow("empty span: header row only") << 0 << QStringList{"Humi. up", "Humi. down"};
        QTest::newRow("titles outside 8 bits") << 3 << QStringList{"Prüffeld Ω"};
        QTest::newRow("more than one sheet holds")
            << kd::history::kPointsPerSheet + 3 << QStringList{"Humi. up"};
    }
    void cellsAsWritten() {
        QFETCH(int, points);
        QFETCH(QStringList, titles);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.xls"));
        const ExportData data = makeData(points, titles);
        kd::history::exportWorkbook(data).save(path);

        const QJsonArray sheets = readBack(path);
        const int perSheet = kd::history::kPointsPerSheet;
        const int sheetCount = points == 0 ? 1 : (points + perSheet - 1) / perSheet;
        QCOMPARE(sheets.size(), sheetCount);
        int checkedPoints = 0;
        for (int s = 0; s < sheetCount; ++s) {
            const QJsonObject sheet = sheets[s].toObject();
            QCOMPARE(sheet["name"].toString(), QStringLiteral("Tabelle%1").arg(s + 1));
            QVERIFY(sheet["protected"].toBool());
            QCOMPARE(sheet["password"].toInt(), 0);
            QVERIFY(sheet["locked"].toBool());
            const QJsonObject widths = sheet["widths"].toObject();
            QCOMPARE(widths.size(), 2 + titles.size());
            for (int c = 0; c < 2 + titles.size(); ++c)
                QCOMPARE(widths[QString::number(c)].toInt(), 20 * 256);

            const int first = s * perSheet;
            const int rows = std::min(points - first, perSheet);
            QCOMPARE(sheet["rows"].toInt(), rows + 1);
            const QJsonArray cells = sheet["cells"].toArray();
            QCOMPARE(cells.size(), (rows + 1) * (2 + titles.size()));
            int at = 0;
            auto expectText = [&](int r, int c, const QString& text) {
                const QJsonArray cell = cells[at++].toArray();
                QCOMPARE(cell[0].toInt(), r);
                QCOMPARE(cell[1].toInt(), c);
                QCOMPARE(cell[2].toString(), QStringLiteral("t"));
                QCOMPARE(cell[3].toString(), text);
            };
            auto expectNumber = [&](int r, int c, double v) {
                const QJsonArray cell = cells[at++].toArray();
                QCOMPARE(cell[0].toInt(), r);
                QCOMPARE(cell[1].toInt(), c);
                QCOMPARE(cell[2].toString(), QStringLiteral("n"));
                QCOMPARE(cell[3].toDouble(), v);
            };
            expectText(0, 0, QStringLiteral("Zeit"));
            expectText(0, 1, QStringLiteral("Zeit"));
            for (int k = 0; k < titles.size(); ++k)
                expectText(0, 2 + k, titles[k]);
            for (int r = 1; r <= rows; ++r) {
                const int i = first + r - 1;
                expectNumber(r, 0, data.x[i]);
                expectText(r, 1, oracleText(data.x[i]));
                for (int k = 0; k < titles.size(); ++k)
                    expectNumber(r, 2 + k, data.series[k].y[i]);
                ++checkedPoints;
            }
        }
        QCOMPARE(checkedPoints, points);
    }

    void firstPointInRowTwo() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.xls"));
        kd::history::exportWorkbook(makeData(2, {"Humi. up"})).save(path);
        const QJsonArray cells = readBack(path)[0].toObject()["cells"].toArray();
        // Row index 1 is the sheet's row 2; 41275 is 01.01.13 00:00.
        QCOMPARE(cells[3].toArray()[0].toInt(), 1);
        QCOMPARE(cells[3].toArray()[3].toDouble(), 41275.0);
        QCOMPARE(cells[4].toArray()[3].toString(), QStringLiteral("01.01.13 00:00"));
        QCOMPARE(cells[7].toArray()[3].toString(), QStringLiteral("01.01.13 00:06"));
    }

    // A reading stored without a value (NULL) is a hole in the chart; the
    // sheet gets an empty cell there, not a number that is no number.
    void valueThatIsNotANumberLeavesTheCellEmpty() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("n.xls"));
        ExportData data = makeData(3, {"Humi. up", "Humi. down"});
        data.series[0].y[1] = std::numeric_limits<double>::quiet_NaN();
        kd::history::exportWorkbook(data).save(path);
        const QJsonArray sheets = readBack(path);
        QCOMPARE(sheets.size(), 1);
        QStringList present;
        for (const QJsonValue& v : sheets[0].toObject()["cells"].toArray()) {
            const QJsonArray cell = v.toArray();
            QCOMPARE(cell[2].toString() == QStringLiteral("?"), false);
            present << QStringLiteral("%1,%2").arg(cell[0].toInt()).arg(cell[1].toInt());
        }
        QVERIFY(!present.contains(QStringLiteral("2,2")));
        for (const char* kept : {"1,2", "3,2", "2,0", "2,1", "2,3"})
            QVERIFY2(present.contains(QLatin1String(kept)), kept);
    }

    void existingFileReplaced() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.xls"));
        kd::history::exportWorkbook(makeData(3000, {"Humi. up", "Humi. down"})).save(path);
        kd::history::exportWorkbook(makeData(1, {"error"})).save(path);
        const QJsonArray sheets = readBack(path);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].toObject()["rows"].toInt(), 2);
        QCOMPARE(sheets[0].toObject()["cells"].toArray()[2].toArray()[3].toString(),
                 QStringLiteral("error"));
    }

    void unwritablePathThrows() {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 kd::history::exportWorkbook(makeData(1, {"x"}))
                                     .save(dir.filePath(QStringLiteral("missing/dir/out.xls"))));
    }
};

QTEST_APPLESS_MAIN(TestXlsExport)
#include "tst_xlsexport.moc"
