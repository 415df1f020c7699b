#include "iniprofile.h"

#include <QTemporaryDir>
#include <QTest>

using kd::i18n::IniProfile;

class TestIniProfile : public QObject {
    Q_OBJECT
private slots:
    void readString_data();
    void readString();
    void readInteger_data();
    void readInteger();
    void longValuesAreCutAt2047();
    void decodesCodePage1252_data();
    void decodesCodePage1252();
    void missingFileGivesDefaults();
};

void TestIniProfile::readString_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString dflt = QStringLiteral("<default>");
    QTest::newRow("plain") << QByteArray("[5]\nsetzen=Set\n") << "5"
                           << "setzen"
                           << "Set";
    QTest::newRow("section case") << QByteArray("[Abc]\nk=v\n") << "aBC"
                                  << "k"
                                  << "v";
    QTest::newRow("key case") << QByteArray("[0]\nLabel1=x\n") << "0"
                              << "LABEL1"
                              << "x";
    QTest::newRow("german key case") << QByteArray(
                                            "[0]\nR\xFC"
                                            "ckluft=x\n")
                                     << "0" << QString::fromUtf8("RÜCKLUFT") << "x";
    QTest::newRow("trimmed") << QByteArray("  [0]  \n \t key \t=  a value \t\r\n") << "0"
                             << "key"
                             << "a value";
    QTest::newRow("section name trimmed") << QByteArray("[ 1 ]\nk=v\n") << "1"
                                          << "k"
                                          << "v";
    QTest::newRow("crlf") << QByteArray("[0]\r\nk=v\r\nm=w\r\n") << "0"
                          << "m"
                          << "w";
    QTest::newRow("no trailing newline") << QByteArray("[0]\nk=v") << "0"
                                         << "k"
                                         << "v";
    QTest::newRow("empty value") << QByteArray("[0]\nk=\n") << "0"
                                 << "k"
                                 << "";
    QTest::newRow("missing key") << QByteArray("[0]\nk=v\n") << "0"
                                 << "m" << dflt;
    QTest::newRow("missing section") << QByteArray("[0]\nk=v\n") << "1"
                                     << "k" << dflt;
    QTest::newRow("key of other section") << QByteArray("[0]\nk=v\n[1]\n") << "1"
                                          << "k" << dflt;
    QTest::newRow("key before any section") << QByteArray("k=v\n[0]\n") << "0"
                                            << "k" << dflt;
    QTest::newRow("double quotes") << QByteArray("[0]\nk=\" padded \"\n") << "0"
                                   << "k"
                                   << " padded ";
    QTest::newRow("single quotes") << QByteArray("[0]\nk='x'\n") << "0"
                                   << "k"
                                   << "x";
    QTest::newRow("unpaired quotes") << QByteArray("[0]\nk=\"x'\n") << "0"
                                     << "k"
                                     << "\"x'";
    QTest::newRow("lone quote") << QByteArray("[0]\nk=\"\n") << "0"
                                << "k"
                                << "\"";
    QTest::newRow("inner quotes kept") << QByteArray("[0]\nk=a \"b\" c\n") << "0"
                                       << "k"
                                       << "a \"b\" c";
    QTest::newRow("comment") << QByteArray("[0]\n;k=v\n") << "0"
                             << "k" << dflt;
    QTest::newRow("semicolon in value") << QByteArray("[0]\nk=a;b\n") << "0"
                                        << "k"
                                        << "a;b";
    QTest::newRow("equals in value") << QByteArray("[0]\nk=a=b\n") << "0"
                                     << "k"
                                     << "a=b";
    QTest::newRow("no escapes") << QByteArray("[0]\nk=C:\\KWB\\%20,x\n") << "0"
                                << "k"
                                << "C:\\KWB\\%20,x";
    QTest::newRow("line without equals") << QByteArray("[0]\nk\n") << "0"
                                         << "k" << dflt;
    QTest::newRow("first key wins") << QByteArray("[0]\nk=first\nK=second\n") << "0"
                                    << "k"
                                    << "first";
    QTest::newRow("first section wins")
        << QByteArray("[0]\nk=first\n[1]\n[0]\nk=second\nm=x\n") << "0"
        << "m" << dflt;
    QTest::newRow("bracket without close is no section") << QByteArray("[0]\n[1\nk=v\n") << "0"
                                                         << "k"
                                                         << "v";
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF[0]\nk=\xC3\xBC\n") << "0"
                                     << "k" << QString::fromUtf8("ü");
    QTest::newRow("utf-16 with mark") << QByteArray(
                                             "\xFF\xFE[\0"
                                             "0\0]\0\n\0k\0=\0\xFC\0",
                                             16)
                                      << "0"
                                      << "k" << QString::fromUtf8("ü");
}

void TestIniProfile::readString() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(IniProfile::fromBytes(file).readString(section, key, QStringLiteral("<default>")),
             expected);
}

void TestIniProfile::readInteger_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");

    QTest::newRow("decimal") << QByteArray("count=2") << 2;
    QTest::newRow("blanks") << QByteArray("count=  12 ") << 12;
    QTest::newRow("negative") << QByteArray("count=-3") << -3;
    QTest::newRow("plus") << QByteArray("count=+4") << 4;
    QTest::newRow("hex dollar") << QByteArray("count=$1F") << 31;
    QTest::newRow("hex 0x") << QByteArray("count=0x10") << 16;
    QTest::newRow("leading zero is decimal") << QByteArray("count=010") << 10;
    QTest::newRow("quoted") << QByteArray("count=\"7\"") << 7;
    QTest::newRow("not a number") << QByteArray("count=zwei") << -99;
    QTest::newRow("trailing text") << QByteArray("count=2x") << -99;
    QTest::newRow("decimal point") << QByteArray("count=2.0") << -99;
    QTest::newRow("sign only") << QByteArray("count=-") << -99;
    QTest::newRow("empty") << QByteArray("count=") << -99;
    QTest::newRow("missing") << QByteArray("other=1") << -99;
    QTest::newRow("int max") << QByteArray("count=2147483647") << 2147483647;
    QTest::newRow("int min") << QByteArray("count=-2147483648") << int(-2147483648LL);
    QTest::newRow("too large") << QByteArray("count=2147483648") << -99;
    QTest::newRow("far too large") << QByteArray("count=99999999999999999999999") << -99;
}

void TestIniProfile::readInteger() {
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    const IniProfile profile = IniProfile::fromBytes("[0]\n" + line + "\n");
    QCOMPARE(profile.readInteger(QStringLiteral("0"), QStringLiteral("count"), -99), expected);
}

void TestIniProfile::longValuesAreCutAt2047() {
    const QByteArray exact(2047, 'a');
    const QByteArray longer = QByteArray(2047, 'b') + "tail";
    const QByteArray quoted = "\"" + QByteArray(3000, 'c') + "\"";
    const IniProfile profile = IniProfile::fromBytes("[0]\nexact=" + exact + "\nlonger=" + longer +
                                                     "\nquoted=" + quoted + "\nnext=after\n");
    QCOMPARE(profile.readString("0", "exact"), QString::fromLatin1(exact));
    QCOMPARE(profile.readString("0", "longer"), QString(2047, u'b'));
    // The quotes go first, then the value is cut.
    QCOMPARE(profile.readString("0", "quoted"), QString(2047, u'c'));
    // A long line does not swallow the lines after it.
    QCOMPARE(profile.readString("0", "next"), QStringLiteral("after"));
}

void TestIniProfile::decodesCodePage1252_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("umlauts") << QByteArray("\xC4\xD6\xDC\xE4\xF6\xFC\xDF")
                             << QString::fromUtf8("ÄÖÜäöüß");
    QTest::newRow("euro, dash, quotes")
        << QByteArray("\x80\x96\x84\x93") << QString::fromUtf8("€–„“");
    QTest::newRow("undefined bytes")
        << QByteArray("\x81\x9D") << QString(QChar(0x81)) + QChar(0x9D);
    QTest::newRow("ascii") << QByteArray("Label1") << QStringLiteral("Label1");
}

void TestIniProfile::decodesCodePage1252() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(kd::i18n::decodeWindows1252(bytes), expected);
    QCOMPARE(IniProfile::fromBytes("[0]\nk=" + bytes + "\n").readString("0", "k"), expected);
}

void TestIniProfile::missingFileGivesDefaults() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const IniProfile profile = IniProfile::fromFile(dir.filePath("none.ini"));
    QVERIFY(!profile.hasSection("0"));
    QCOMPARE(profile.readString("0", "titel", "d"), QStringLiteral("d"));
    QCOMPARE(profile.readInteger("0", "count", 0), 0);
}

QTEST_APPLESS_MAIN(TestIniProfile)
#include "tst_iniprofile.moc"
