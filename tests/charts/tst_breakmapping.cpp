// The mapping between real time and the drawn bottom axis, and the round
// ticks placed through it.

#include "axisbreaks.h"

#include <QtTest>

#include <cmath>
#include <ctime>

using kd::chart::AxisBreak;
using kd::chart::BreakMapping;

Q_DECLARE_METATYPE(std::vector<AxisBreak>)

namespace {
constexpr double kMinute = 1.0 / 1440.0;
constexpr double kDay0 = 41699.0;  // 01.03.2014 00:00

bool insideAny(const std::vector<AxisBreak>& breaks, double x, bool withEdges = false) {
    for (const AxisBreak& b : breaks) {
        const double lo = std::min(b.start, b.end);
        const double hi = std::max(b.start, b.end);
        if ((x > lo && x < hi) || (withEdges && (x == lo || x == hi)))
            return true;
    }
    return false;
}
}  // namespace

class TestBreakMapping : public QObject {
    Q_OBJECT
private slots:
    void layouts_data();
    void layouts();
    void roundTicks_data();
    void roundTicks();
    void formatDays_data();
    void formatDays();
};

void TestBreakMapping::layouts_data() {
    QTest::addColumn<std::vector<AxisBreak>>("breaks");
    QTest::addColumn<double>("rangeMin");
    QTest::addColumn<double>("rangeMax");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<double>("gap");
    // Drawn width of each whole break inside the range, in order.
    QTest::addColumn<QList<double>>("gaps");

    const double d = kDay0;
    QTest::newRow("no breaks is linear")
        << std::vector<AxisBreak>{} << d << d + 1 << 800.0 << 20.0 << QList<double>{};
    QTest::newRow("one stop 10:00-11:30, gap 10")
        << std::vector<AxisBreak>{{d + 10 / 24.0, d + 11.5 / 24.0}} << d << d + 1 << 800.0 << 10.0
        << QList<double>{10};
    QTest::newRow("two stops, gap 20")
        << std::vector<AxisBreak>{{d + 0.2, d + 0.3}, {d + 0.6, d + 0.7}} << d << d + 1 << 800.0
        << 20.0 << QList<double>{20, 20};
    QTest::newRow("unsorted and overlapping merge into one")
        << std::vector<AxisBreak>{{d + 0.5, d + 0.6}, {d + 0.3, d + 0.55}} << d << d + 1 << 600.0
        << 30.0 << QList<double>{30};
    QTest::newRow("reversed break counts") << std::vector<AxisBreak>{{d + 0.7, d + 0.4}} << d
                                           << d + 1 << 500.0 << 12.0 << QList<double>{12};
    QTest::newRow("break over the left edge") << std::vector<AxisBreak>{{d - 1, d + 0.25}} << d
                                              << d + 1 << 800.0 << 20.0 << QList<double>{};
    QTest::newRow("break over the right edge") << std::vector<AxisBreak>{{d + 0.75, d + 3}} << d
                                               << d + 1 << 800.0 << 20.0 << QList<double>{};
    QTest::newRow("zero gap cuts the span away") << std::vector<AxisBreak>{{d + 0.4, d + 0.6}} << d
                                                 << d + 1 << 800.0 << 0.0 << QList<double>{0};
    // 40 gaps of 20 pixels would take the whole axis: they shrink to half of it.
    std::vector<AxisBreak> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({d + i / 40.0 + 0.005, d + i / 40.0 + 0.02});
    QTest::newRow("gaps shrink to half the axis")
        << many << d << d + 1 << 800.0 << 20.0 << QList<double>(40, 10.0);
    QTest::newRow("year with gaps of 10 per break")
        << std::vector<AxisBreak>{{d + 30, d + 31}, {d + 100, d + 140}, {d + 200, d + 200.06}} << d
        << d + 365 << 780.0 << 30.0 << QList<double>{30, 30, 30};
}

void TestBreakMapping::layouts() {
    QFETCH(std::vector<AxisBreak>, breaks);
    QFETCH(double, rangeMin);
    QFETCH(double, rangeMax);
    QFETCH(double, pixels);
    QFETCH(double, gap);
    QFETCH(QList<double>, gaps);
    const BreakMapping m(breaks, rangeMin, rangeMax, pixels, gap);

    // The range fills the axis exactly.
    QVERIFY(std::abs(m.toPixel(rangeMin)) < 1e-6);
    QVERIFY(std::abs(m.toPixel(rangeMax) - pixels) < 1e-6);

    // Round trip and monotonic over the range and a little beyond it.
    const double span = rangeMax - rangeMin;
    double previous = -1e300;
    for (int i = -20; i <= 1020; ++i) {
        const double x = rangeMin + span * i / 1000.0;
        const double p = m.toPixel(x);
        QVERIFY2(p > previous || (gap == 0 && insideAny(breaks, x, true) && p >= previous),
                 qPrintable(QStringLiteral("not increasing at step %1").arg(i)));
        previous = p;
        if (gap == 0 && insideAny(breaks, x, true))
            continue;  // a cut span without a gap has no pixels of its own
        const double back = m.toReal(p);
        QVERIFY2(std::abs(back - x) < 1e-9 * std::max(1.0, std::abs(x)),
                 qPrintable(QStringLiteral("round trip %1 -> %2 -> %3").arg(x).arg(p).arg(back)));
    }

    // Each whole break keeps its gap; the data keeps real-time proportions.
    QList<double> drawn;
    for (AxisBreak b : breaks) {
        if (b.end < b.start)
            std::swap(b.start, b.end);
        if (b.start >= rangeMin && b.end <= rangeMax)
            drawn << m.toPixel(b.end) - m.toPixel(b.start);
    }
    if (QTest::currentDataTag() == QByteArray("unsorted and overlapping merge into one"))
        drawn = {m.toPixel(rangeMin + 0.6) - m.toPixel(rangeMin + 0.3)};
    QCOMPARE(drawn.size(), gaps.size());
    for (int i = 0; i < gaps.size(); ++i)
        QVERIFY2(std::abs(drawn[i] - gaps[i]) < 1e-6,
                 qPrintable(QStringLiteral("gap %1 drawn %2").arg(i).arg(drawn[i])));
    const auto listed = m.gaps();
    double listedTotal = 0;
    for (const auto& g : listed)
        listedTotal += g.to - g.from;
    QVERIFY(listedTotal <= pixels / 2 + 1e-6);
}

void TestBreakMapping::roundTicks_data() {
    QTest::addColumn<std::vector<AxisBreak>>("breaks");
    QTest::addColumn<double>("rangeMin");
    QTest::addColumn<double>("rangeMax");
    QTest::addColumn<double>("minStep");
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("step");  // expected label step in minutes
    QTest::addColumn<QString>("firstLabel");

    const double d = kDay0;
    QTest::newRow("eight hours, half-hour minimum")
        << std::vector<AxisBreak>{} << d + 9.9 / 24 << d + 18 / 24.0 << 1.0 / 48 << "dd.MM.yy hh:mm"
        << 60.0 << "01.03.14 10:00";
    QTest::newRow("with a lunch break")
        << std::vector<AxisBreak>{{d + 12 / 24.0, d + 14 / 24.0}} << d + 10 / 24.0 << d + 18 / 24.0
        << 1.0 / 48 << "dd.MM.yy hh:mm" << 60.0 << "01.03.14 10:00";
    QTest::newRow("five days, dates only")
        << std::vector<AxisBreak>{} << d << d + 5 << 1.0 / 48 << "dd.MM.yy" << 720.0 << "01.03.14";
    QTest::newRow("live minutes, seconds labels")
        << std::vector<AxisBreak>{} << d + 0.5 << d + 0.5 + 3 * kMinute << 1 / 86400.0 << "" << 0.5
        << "12:00:00";
    QTest::newRow("a year with a month cut out")
        << std::vector<AxisBreak>{{d + 60, d + 90}} << d << d + 365 << 1.0 / 48 << "dd.MM.yy"
        << 28.0 * 1440 << "22.03.14";
}

void TestBreakMapping::roundTicks() {
    QFETCH(std::vector<AxisBreak>, breaks);
    QFETCH(double, rangeMin);
    QFETCH(double, rangeMax);
    QFETCH(double, minStep);
    QFETCH(QString, format);
    QFETCH(double, step);
    QFETCH(QString, firstLabel);
    const double minLabel = 100;
    const BreakMapping m(breaks, rangeMin, rangeMax, 800, 20);
    const auto ticks = kd::chart::roundTicks(m, minStep, minLabel, format);
    QVERIFY(ticks.size() >= 2);
    QCOMPARE(ticks.front().label, firstLabel);
    const double stepDays = step * kMinute;
    for (size_t i = 0; i < ticks.size(); ++i) {
        const auto& t = ticks[i];
        // At a whole multiple of the step ...
        const double k = t.realDays / stepDays;
        QVERIFY2(std::abs(k - std::round(k)) < 1e-6, qPrintable(t.label));
        // ... inside the range, outside every break, drawn where it belongs ...
        QVERIFY(t.realDays >= rangeMin - 1e-9 && t.realDays <= rangeMax + 1e-9);
        QVERIFY(!insideAny(breaks, t.realDays));
        QCOMPARE(t.pixel, m.toPixel(t.realDays));
        QCOMPARE(t.label,
                 kd::chart::formatDays(t.realDays, format.isEmpty() ? "hh:mm:ss" : format));
        // ... and never printed over the one before.
        if (i > 0)
            QVERIFY(t.pixel - ticks[i - 1].pixel >= minLabel / 2);
    }
}

void TestBreakMapping::formatDays_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("epoch") << 0.0 << "dd.MM.yyyy hh:mm"
                           << "30.12.1899 00:00";
    QTest::newRow("noon") << 41699.5 << "dd.MM.yy hh:mm"
                          << "01.03.14 12:00";
    QTest::newRow("one second rounds") << 41699.0 + 1 / 86400.0 - 1e-9 << "hh:mm:ss"
                                       << "00:00:01";
    // Wall-clock days: the last Sunday of March has no daylight-saving shift here.
    QTest::newRow("DST day 02:30") << 41728.0 + 2.5 / 24 << "dd.MM.yy hh:mm"
                                   << "30.03.14 02:30";
}

void TestBreakMapping::formatDays() {
    QFETCH(double, days);
    QFETCH(QString, format);
    QFETCH(QString, text);
    // In a zone with summer time, so the hour the clocks skip really is
    // missing from local time.
    const QByteArray formerZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const auto restore = qScopeGuard([&] {
        if (formerZone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", formerZone);
        tzset();
    });
    QCOMPARE(kd::chart::formatDays(days, format), text);
    // And back: the wall-clock date-time gives the same days.
    const QString full = kd::chart::formatDays(days, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    const QDateTime dt = QDateTime::fromString(full, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    if (dt.isValid())
        QVERIFY(std::abs(kd::chart::daysFromDateTime(dt) - days) < 1e-8);
}

QTEST_APPLESS_MAIN(TestBreakMapping)
#include "tst_breakmapping.moc"
