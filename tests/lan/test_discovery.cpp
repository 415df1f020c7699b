#include "discovery.h"

#include <QTest>

using namespace kd::lan;

class TestDiscovery : public QObject {
    Q_OBJECT
private slots:
    void request();
    void parseAnswer_data();
    void parseAnswer();
    void logLineKeepsTextAndAddressTogether();
    void entryAddress_data();
    void entryAddress();
};

void TestDiscovery::request() {
    const QByteArray r = discoveryRequest();
    QCOMPARE(r.size(), 28);
    QCOMPARE(r, QByteArray("Discovery: Who is out there?"));
}

void TestDiscovery::parseAnswer_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isCabinet");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("remainder");

    QTest::newRow("model alone") << QByteArray("KD7634") << true << "KD7634"
                                 << "";
    QTest::newRow("model and one more character") << QByteArray("KD7634X") << true << "KD7634"
                                                  << "";
    QTest::newRow("name with CR LF") << QByteArray("KD7634 ABC\r\n") << true << "KD7634"
                                     << "ABC";
    QTest::newRow("name without line end loses its last character")
        << QByteArray("KD7634 ABC") << true << "KD7634"
        << "AB";
    QTest::newRow("blanks and controls around the name")
        << QByteArray("KD7634\t  Lager 3 \x01\r\n") << true << "KD7634"
        << "Lager 3";
    QTest::newRow("blank inside the name stays") << QByteArray("KD7634 A B\n") << true << "KD7634"
                                                 << "A B";
    QTest::newRow("lower-case model") << QByteArray("kd7634 ABC\r\n") << false << "kd7634"
                                      << "ABC";
    QTest::newRow("other model") << QByteArray("KD7635 ABC\r\n") << false << "KD7635"
                                 << "ABC";
    QTest::newRow("shorter than six characters") << QByteArray("KD76") << false << "KD76"
                                                 << "";
    QTest::newRow("8-bit characters") << QByteArray(
                                             "KD7634 Tr\xfc"
                                             "ckner\r\n")
                                      << true << "KD7634" << QString::fromUtf8("Trückner");
}

void TestDiscovery::parseAnswer() {
    QFETCH(QByteArray, datagram);
    QFETCH(bool, isCabinet);
    QFETCH(QString, model);
    QFETCH(QString, remainder);

    const DiscoveryAnswer answer = parseDiscoveryAnswer(datagram);
    QCOMPARE(answer.isCabinet, isCabinet);
    QCOMPARE(answer.model, model);
    QCOMPARE(answer.remainder, remainder);
    QCOMPARE(answer.text, QString::fromLatin1(datagram));
}

void TestDiscovery::logLineKeepsTextAndAddressTogether() {
    const DiscoveryAnswer answer = parseDiscoveryAnswer("KD7634 ABC\r\n");
    QCOMPARE(receivedLogLine(answer, QStringLiteral("10.1.2.3")),
             QStringLiteral("Received: KD7634 ABC\r\n10.1.2.3"));
    QCOMPARE(cabinetListEntry(QStringLiteral("10.1.2.3"), answer),
             QStringLiteral("10.1.2.3 - ABC"));
    QCOMPARE(cabinetListEntry(QStringLiteral("10.1.2.3"), parseDiscoveryAnswer("KD7634")),
             QStringLiteral("10.1.2.3 - "));
}

void TestDiscovery::entryAddress_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("address");

    QTest::newRow("entry with name") << "192.168.1.20 - ABC"
                                     << "192.168.1.20";
    QTest::newRow("entry without name") << "192.168.1.20 - "
                                        << "192.168.1.20";
    QTest::newRow("name with blanks") << "10.0.0.7 - Lager 3 links"
                                      << "10.0.0.7";
    QTest::newRow("no blank at all") << "10.0.0.7"
                                     << "10.0.0.7";
}

void TestDiscovery::entryAddress() {
    QFETCH(QString, entry);
    QFETCH(QString, address);
    QCOMPARE(addressOfListEntry(entry), address);
}

QTEST_APPLESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
