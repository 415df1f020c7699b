#include "reportformat.h"
#include "virtualhello.h"

#include <QTest>

using kd::hid::InputReport;
using kd::hid::ReportLayout;

class TestHidFormat : public QObject {
    Q_OBJECT
private slots:
    void reportDescriptor_data();
    void reportDescriptor();
    void inputReport_data();
    void inputReport();
    void hello_data();
    void hello();
    void helloRoundTrip();
};

void TestHidFormat::reportDescriptor_data() {
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("numbered");

    // The cabinet's vendor page: 64 bytes in, 64 bytes out, no report ids.
    QTest::newRow("cabinet 64 in 64 out")
        << QByteArray::fromHex(
               "0600ff 0901 a101 1901 2940 1500 26ff00 7508 9540 8102"
               "1901 2940 9102 c0")
        << 65 << 65 << false;
    QTest::newRow("numbered reports take the longest")
        << QByteArray::fromHex(
               "0600ff 0901 a101 8501 7508 9508 8102 8501 7508 9508 9102"
               "8502 7508 9510 8102 8502 7508 9502 9102 c0")
        << 17 << 9 << true;
    QTest::newRow("bits round up to whole bytes")
        << QByteArray::fromHex("0600ff 0901 a101 7501 9503 8102 c0") << 2 << 65 << false;
    QTest::newRow("push and pop restore the size")
        << QByteArray::fromHex("0600ff 0901 a101 7508 a4 7501 9508 8102 b4 9504 9102 c0") << 2 << 5
        << false;
    QTest::newRow("truncated item stops the scan")
        << QByteArray::fromHex("0600ff 0901 a101 7508 9510 8102 26ff") << 17 << 65 << false;
    QTest::newRow("empty keeps the fallback") << QByteArray() << 65 << 65 << false;
    QTest::newRow("long item is skipped")
        << QByteArray::fromHex("fe0300aabbcc 7508 9502 8102") << 3 << 65 << false;
    QTest::newRow("absurd count is capped")
        << QByteArray::fromHex("77ffffffff 97ffffffff 8102") << 4097 << 65 << false;
}

void TestHidFormat::reportDescriptor() {
    QFETCH(QByteArray, descriptor);
    QFETCH(int, input);
    QFETCH(int, output);
    QFETCH(bool, numbered);
    const ReportLayout layout = kd::hid::parseReportDescriptor(descriptor);
    QCOMPARE(layout.inputLength, input);
    QCOMPARE(layout.outputLength, output);
    QCOMPARE(layout.numberedReports, numbered);
}

void TestHidFormat::inputReport_data() {
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<int>("inputLength");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("data");

    QByteArray reply(64, '\0');
    reply[0] = 'v';
    reply[63] = 0x7F;
    // hidraw without numbered reports: 64 bytes, the id 0 is not read.
    QTest::newRow("hidraw unnumbered 64 bytes") << reply << false << 65 << 0 << reply;
    QTest::newRow("numbered id kept apart")
        << (QByteArray(1, '\x05') + reply) << true << 65 << 5 << reply;
    QTest::newRow("short read is zero padded") << QByteArray("@\x01", 2) << false << 65 << 0
                                               << (QByteArray("@\x01", 2) + QByteArray(62, '\0'));
    QTest::newRow("long read is cut") << (reply + "xyz") << false << 65 << 0 << reply;
    QTest::newRow("small device still gives 64")
        << QByteArray("\x00:", 2) << true << 9 << 0 << (QByteArray(":") + QByteArray(63, '\0'));
    QTest::newRow("larger device keeps its length")
        << (QByteArray(1, '\0') + QByteArray(100, 'a')) << true << 101 << 0 << QByteArray(100, 'a');
}

void TestHidFormat::inputReport() {
    QFETCH(QByteArray, read);
    QFETCH(bool, numbered);
    QFETCH(int, inputLength);
    QFETCH(int, id);
    QFETCH(QByteArray, data);
    const InputReport r = kd::hid::normaliseInputReport(read, numbered, inputLength);
    QCOMPARE(int(r.reportId), id);
    QCOMPARE(r.data.toHex(), data.toHex());
}

void TestHidFormat::hello_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("outputLength");
    QTest::addColumn<bool>("readWrite");

    QTest::newRow("the documented example")
        << QByteArray(R"({"vendor_id":1240,"product_id":63,"product":"KD7630-48","serial":"0001",)"
                      R"("output_report_length":65,"input_report_length":65,"read_write":true})"
                      "\n")
        << true << 1240 << "KD7630-48" << 65 << true;
    QTest::newRow("ids only, defaults for the rest")
        << QByteArray(R"({"vendor_id":1,"product_id":2})") << true << 1 << "" << 65 << true;
    QTest::newRow("read only device")
        << QByteArray(R"({"vendor_id":1,"product_id":2,"read_write":false})") << true << 1 << ""
        << 65 << false;
    QTest::newRow("not json") << QByteArray("hello\n") << false << 0 << "" << 0 << false;
    QTest::newRow("array") << QByteArray("[1240,63]\n") << false << 0 << "" << 0 << false;
    QTest::newRow("missing product id")
        << QByteArray(R"({"vendor_id":1240})") << false << 0 << "" << 0 << false;
    QTest::newRow("vendor id out of range")
        << QByteArray(R"({"vendor_id":65536,"product_id":63})") << false << 0 << "" << 0 << false;
    QTest::newRow("vendor id not whole")
        << QByteArray(R"({"vendor_id":12.5,"product_id":63})") << false << 0 << "" << 0 << false;
    QTest::newRow("vendor id as text")
        << QByteArray(R"({"vendor_id":"1240","product_id":63})") << false << 0 << "" << 0 << false;
    QTest::newRow("product not a string")
        << QByteArray(R"({"vendor_id":1,"product_id":2,"product":5})") << false << 0 << "" << 0
        << false;
    QTest::newRow("report length zero")
        << QByteArray(R"({"vendor_id":1,"product_id":2,"output_report_length":0})") << false << 0
        << "" << 0 << false;
    QTest::newRow("report length huge")
        << QByteArray(R"({"vendor_id":1,"product_id":2,"input_report_length":100000000})") << false
        << 0 << "" << 0 << false;
    QTest::newRow("read_write not bool")
        << QByteArray(R"({"vendor_id":1,"product_id":2,"read_write":1})") << false << 0 << "" << 0
        << false;
    QTest::newRow("line too long") << (QByteArray(R"({"vendor_id":1,"product_id":2,"product":")") +
                                       QByteArray(5000, 'a') + "\"}")
                                   << false << 0 << "" << 0 << false;
}

void TestHidFormat::hello() {
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    const auto hello = kd::hid::parseVirtualHello(line);
    QCOMPARE(hello.has_value(), accepted);
    if (!accepted) {
        return;
    }
    QFETCH(int, vendor);
    QFETCH(QString, product);
    QFETCH(int, outputLength);
    QFETCH(bool, readWrite);
    QCOMPARE(int(hello->vendorId), vendor);
    QCOMPARE(hello->product, product);
    QCOMPARE(hello->outputReportLength, outputLength);
    QCOMPARE(hello->readWrite, readWrite);
}

void TestHidFormat::helloRoundTrip() {
    kd::hid::VirtualHello h;
    h.vendorId = 0x04D8;
    h.productId = 0x003F;
    h.product = QStringLiteral("KD7630-48");
    h.serial = QStringLiteral("Ä-01");
    h.outputReportLength = 33;
    h.inputReportLength = 129;
    h.readWrite = false;
    const QByteArray line = kd::hid::formatVirtualHello(h);
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    const auto back = kd::hid::parseVirtualHello(line);
    QVERIFY(back);
    QCOMPARE(back->productId, h.productId);
    QCOMPARE(back->serial, h.serial);
    QCOMPARE(back->outputReportLength, 33);
    QCOMPARE(back->inputReportLength, 129);
    QCOMPARE(back->readWrite, false);
}

QTEST_APPLESS_MAIN(TestHidFormat)
#include "test_hid_format.moc"
