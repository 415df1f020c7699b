// The chart's data without drawing: series storage and its min/max index,
// the chart file written and read back, and the CSV export.

#include "chartmodel.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>

using kd::chart::ChartModel;
using kd::chart::SeriesStyle;

namespace {
SeriesStyle styled(const QString& title) {
    SeriesStyle s;
    s.title = title;
    return s;
}

QByteArray saved(const ChartModel& m) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    kd::chart::chartfile::write(buffer, m);
    return buffer.data();
}

void expectEqual(const ChartModel& a, const ChartModel& b) {
    QVERIFY(a.settings() == b.settings());
    QCOMPARE(a.seriesCount(), b.seriesCount());
    for (int i = 0; i < a.seriesCount(); ++i) {
        QVERIFY(a.style(i) == b.style(i));
        QCOMPARE(a.data(i).size(), b.data(i).size());
        for (qsizetype p = 0; p < a.data(i).size(); ++p) {
            QCOMPARE(a.data(i).x(p), b.data(i).x(p));
            QCOMPARE(a.data(i).y(p), b.data(i).y(p));
        }
    }
}
}  // namespace

class TestChartModel : public QObject {
    Q_OBJECT
private slots:
    void minMaxIndex_data();
    void minMaxIndex();
    void searchFromAHint();
    void liveSeriesShareOneTimeColumn();
    void seriesThatDivergeKeepTheirOwnTimes();
    void pointsStayInTimeOrder();
    void bulkLoadSortsAndChecks();
    void chartFileRoundTrip();
    void damagedChartFiles_data();
    void damagedChartFiles();
    void defaultExtension_data();
    void defaultExtension();
    void csvExport();
};

void TestChartModel::minMaxIndex_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("appended");  // one by one, or in one bulk load
    for (int n : {1, 15, 16, 17, 255, 256, 257, 5000}) {
        QTest::addRow("%d appended", n) << n << true;
        QTest::addRow("%d loaded", n) << n << false;
    }
}

void TestChartModel::minMaxIndex() {
    QFETCH(int, points);
    QFETCH(bool, appended);
    QRandomGenerator rng(points);
    std::vector<double> xs, ys;
    for (int i = 0; i < points; ++i) {
        xs.push_back(i);
        ys.push_back(rng.bounded(2000.0) - 1000);
    }
    ChartModel m;
    m.addSeries(styled("a"));
    if (appended) {
        for (int i = 0; i < points; ++i)
            m.addPoint(0, xs[size_t(i)], ys[size_t(i)]);
    } else {
        m.setPoints(0, xs, ys);
    }
    const auto& d = m.data(0);
    QCOMPARE(d.size(), qsizetype(points));
    // Every range against a plain scan (a sample of them for the long series).
    const int stride = points > 300 ? 37 : 1;
    for (int from = 0; from < points; from += stride) {
        for (int to = from + 1; to <= points; to += stride) {
            double lo, hi;
            d.yRange(from, to, lo, hi);
            const auto [mn, mx] = std::minmax_element(ys.begin() + from, ys.begin() + to);
            QCOMPARE(lo, *mn);
            QCOMPARE(hi, *mx);
        }
    }
}

void TestChartModel::searchFromAHint() {
    // Uneven times with repeats and a long pause: the guided search must
    // agree with a plain binary search everywhere.
    QRandomGenerator rng(7);
    std::vector<double> xs;
    double x = 0;
    for (int i = 0; i < 3000; ++i) {
        x += i == 1500 ? 1000 : (rng.bounded(4) == 0 ? 0 : rng.bounded(3.0));
        xs.push_back(x);
    }
    ChartModel m;
    m.addSeries(styled("a"));
    m.setPoints(0, xs, std::vector<double>(xs.size(), 0.0));
    const auto& d = m.data(0);
    for (int probe = 0; probe < 2000; ++probe) {
        const double v = rng.bounded(x + 20) - 10;
        const qsizetype from = rng.bounded(3000);
        const qsizetype to = from + rng.bounded(3001 - int(from));
        const qsizetype expected =
            std::lower_bound(xs.begin() + from, xs.begin() + to, v) - xs.begin();
        QCOMPARE(d.lowerBound(v, from, to), expected);
    }
}

void TestChartModel::liveSeriesShareOneTimeColumn() {
    ChartModel m;
    for (int i = 0; i < 18; ++i)
        m.addSeries(styled(QString::number(i)));
    const int replies = 10000;
    for (int r = 0; r < replies; ++r)
        for (int i = 0; i < 18; ++i)
            m.addPoint(i, 46000 + r / 86400.0, i * r);
    for (int i = 0; i < 18; ++i) {
        QCOMPARE(m.data(i).size(), qsizetype(replies));
        QCOMPARE(m.data(i).x(replies - 1), 46000 + (replies - 1) / 86400.0);
        QCOMPARE(m.data(i).y(replies - 1), double(i * (replies - 1)));
    }
    // One x column and 18 y columns, with growth slack and the index on top:
    // far below 18 separate (x, y) series of 16 bytes a point.
    const double perReply = double(m.memoryBytes()) / replies;
    QVERIFY2(perReply < 2 * (8 + 18 * 8), qPrintable(QString::number(perReply)));
}

void TestChartModel::seriesThatDivergeKeepTheirOwnTimes() {
    ChartModel m;
    m.addSeries(styled("a"));
    m.addSeries(styled("b"));
    m.addPoint(0, 1, 10);
    m.addPoint(1, 1, 20);
    m.addPoint(0, 2, 11);
    m.addPoint(1, 3, 21);  // differs from a's second x
    m.addPoint(0, 4, 12);
    m.addPoint(1, 5, 22);
    QCOMPARE(m.data(0).x(1), 2.0);
    QCOMPARE(m.data(0).x(2), 4.0);
    QCOMPARE(m.data(1).x(1), 3.0);
    QCOMPARE(m.data(1).x(2), 5.0);
    // A series added later starts on its own.
    m.addSeries(styled("c"));
    m.addPoint(2, 7, 1);
    QCOMPARE(m.data(2).x(0), 7.0);
    QCOMPARE(m.data(0).x(0), 1.0);
}

void TestChartModel::pointsStayInTimeOrder() {
    // The clock set back (e.g. at the end of daylight saving time) must not
    // break the ascending order every search relies on.
    ChartModel m;
    m.addSeries(styled("a"));
    m.addSeries(styled("b"));
    for (double x : {1.0, 2.0, 3.0, 4.0}) {
        m.addPoint(0, x, x * 10);
        m.addPoint(1, x, -x);
    }
    m.addPoint(0, 2.5, 25);
    m.addPoint(1, 2.5, -2.5);
    m.addPoint(0, 5, 50);
    m.addPoint(1, 5, -5);
    for (int s = 0; s < 2; ++s) {
        const auto& d = m.data(s);
        QCOMPARE(d.size(), 6);
        for (qsizetype i = 1; i < d.size(); ++i)
            QVERIFY(d.x(i - 1) <= d.x(i));
        QCOMPARE(d.x(2), 2.5);
        double lo, hi;
        d.yRange(0, d.size(), lo, hi);
        QCOMPARE(s == 0 ? hi : lo, s == 0 ? 50.0 : -5.0);
    }
    QCOMPARE(m.data(0).y(2), 25.0);
}

void TestChartModel::bulkLoadSortsAndChecks() {
    ChartModel m;
    m.addSeries(styled("a"));
    m.setPoints(0, {3, 1, 2, 1}, {30, 10, 20, 11});
    QCOMPARE(m.data(0).x(0), 1.0);
    QCOMPARE(m.data(0).y(0), 10.0);  // stable: equal times keep their order
    QCOMPARE(m.data(0).y(1), 11.0);
    QCOMPARE(m.data(0).y(3), 30.0);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, m.setPoints(0, {1, 2}, {1}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m.addPoint(1, 0, 0));
}

void TestChartModel::chartFileRoundTrip() {
    ChartModel m;
    auto& c = m.settings();
    c.title = QStringLiteral("Schrank Keller – Ümlaut");
    c.legendVisible = false;
    c.legendLeft = 12;
    c.left = {-5, 105.5, false, QStringLiteral("%r.H.")};
    c.bottom = {41699, 41704, true, {}};
    c.bottomDateFormat = QStringLiteral("dd.MM.yy hh:mm");
    c.bottomMinStep = 1.0 / 48;
    c.breaks = {{41700.1, 41700.3}, {41702, 41702.5}};
    c.breakGapPixels = 20;
    SeriesStyle a = styled(QStringLiteral("Humi. up"));
    a.legendText = QStringLiteral("r.H.oben");
    a.kind = kd::chart::SeriesKind::FastLine;
    a.paletteColor = false;
    a.color = 0xFF008000;
    a.width = 2;
    SeriesStyle b = styled(QStringLiteral("error"));
    b.active = false;
    b.pen = kd::chart::PenStyle::Dot;
    m.addSeries(a);
    m.addSeries(b);
    m.addSeries(styled(QStringLiteral("empty")));
    for (int i = 0; i < 1000; ++i) {
        m.addPoint(0, 41699 + i / 200.0, 40 + std::sin(i) * 5);
        m.addPoint(1, 41699 + i / 200.0, i % 3);
    }

    QBuffer buffer;
    buffer.setData(saved(m));
    // The second series' times are stored once, by reference to the first's.
    QVERIFY2(buffer.data().size() < 1000 * 8 * 3 + 2000,
             qPrintable(QString::number(buffer.data().size())));
    buffer.open(QIODevice::ReadOnly);
    ChartModel back;
    kd::chart::chartfile::read(buffer, back);
    expectEqual(m, back);
    QVERIFY(back.data(1).sharesXWith(back.data(0)));
}

void TestChartModel::damagedChartFiles_data() {
    ChartModel m;
    m.addSeries(styled("a"));
    for (int i = 0; i < 100; ++i)
        m.addPoint(0, i, i);
    const QByteArray good = saved(m);

    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("foreign") << QByteArray("PK\x03\x04 some zip file");
    QTest::newRow("cut in the header") << good.left(20);
    QTest::newRow("cut in the points") << good.left(good.size() - 8);
    QByteArray newer = good;
    newer[8] = char(99);  // format version
    QTest::newRow("newer version") << newer;
    // A point count far beyond the file must not be believed.
    QByteArray huge = good;
    const qsizetype countAt = good.size() - 100 * 16 - 4 - 8;  // count, time source, points
    for (int i = 0; i < 8; ++i)
        huge[countAt + i] = char(0x7F);
    QTest::newRow("absurd point count") << huge;
}

void TestChartModel::damagedChartFiles() {
    QFETCH(QByteArray, bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ChartModel m;
    m.addSeries(styled("kept"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, kd::chart::chartfile::read(buffer, m));
    // The model is unchanged after a refused file.
    QCOMPARE(m.seriesCount(), 1);
    QCOMPARE(m.style(0).title, QStringLiteral("kept"));
}

void TestChartModel::defaultExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "/tmp/trace"
                                  << "/tmp/trace.tee";
    QTest::newRow("other extension") << "/tmp/trace.dat"
                                     << "/tmp/trace.dat";
    QTest::newRow("tee") << "/tmp/trace.tee"
                         << "/tmp/trace.tee";
    QTest::newRow("dot in the folder only") << "/tmp/v1.2/trace"
                                            << "/tmp/v1.2/trace.tee";
    QTest::newRow("temporary file") << "/tmp/KWB1A2F.tmp"
                                    << "/tmp/KWB1A2F.tmp";
}

void TestChartModel::defaultExtension() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(kd::chart::chartfile::withDefaultExtension(chosen), written);
}

void TestChartModel::csvExport() {
    ChartModel m;
    m.addSeries(styled("Humi. up"));
    m.addSeries(styled("a;b"));
    m.addSeries(styled("hidden"));
    SeriesStyle hidden = m.style(2);
    hidden.active = false;
    m.setStyle(2, hidden);
    m.addPoint(0, 41699.5, 45.25);
    m.addPoint(1, 41699.5, 1);
    m.addPoint(2, 41699.5, 7);
    m.addPoint(0, 41699.5 + 1 / 1440.0, 46);
    m.addPoint(1, 41699.5 + 2 / 1440.0, 0.1);
    // A value that is not a number is a hole: an empty field, as a missing one.
    m.addPoint(0, 41699.5 + 2 / 1440.0, std::numeric_limits<double>::quiet_NaN());

    for (bool activeOnly : {false, true}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        kd::chart::writeCsv(buffer, m, activeOnly, true);
        const QString expected = activeOnly ? QStringLiteral(
                                                  "Zeit;Humi. up;\"a;b\"\n"
                                                  "2014-03-01 12:00:00;45.25;1\n"
                                                  "2014-03-01 12:01:00;46;\n"
                                                  "2014-03-01 12:02:00;;0.1\n")
                                            : QStringLiteral(
                                                  "Zeit;Humi. up;\"a;b\";hidden\n"
                                                  "2014-03-01 12:00:00;45.25;1;7\n"
                                                  "2014-03-01 12:01:00;46;;\n"
                                                  "2014-03-01 12:02:00;;0.1;\n");
        QCOMPARE(QString::fromUtf8(buffer.data()), expected);
    }
}

QTEST_APPLESS_MAIN(TestChartModel)
#include "tst_chartmodel.moc"
