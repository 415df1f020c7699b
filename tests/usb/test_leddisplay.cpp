// What the console's LED display lights for a value.

#include "leddisplay.h"

#include <QTest>

#include <limits>

class TestLedDisplay : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void TestLedDisplay::text_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero keeps its decimal") << 0.0 << "0,0";
    QTest::newRow("half") << 0.5 << "0,5";
    QTest::newRow("no leading zeros") << 45.3 << "45,3";
    QTest::newRow("rounded to one decimal") << 45.26 << "45,3";
    QTest::newRow("largest that fits") << 999.94 << "999,9";
    QTest::newRow("rounds beyond four digits") << 999.96 << "----";
    QTest::newRow("too large") << 6553.5 << "----";
    QTest::newRow("negative") << -1.5 << "-1,5";
    QTest::newRow("smallest that fits") << -99.9 << "-99,9";
    QTest::newRow("too small") << -100.0 << "----";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "----";
}

void TestLedDisplay::text() {
    QFETCH(double, value);
    QFETCH(QString, text);
    TLEDDisplay display;
    display.setValue(value);
    QCOMPARE(display.text(), text);
}

QTEST_MAIN(TestLedDisplay)
#include "test_leddisplay.moc"
