#include "iniprofile.h"
#include "language.h"

#include "programdir.h"
#include "programwindows.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QSet>
#include <QTest>

using namespace kd::i18n;

// The catalogue and language files the program ships beside itself.
class TestDeliveredLanguages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void catalogueOffersGermanAndEnglish();
    void everyKeyIsTranslated_data();
    void everyKeyIsTranslated();
    void textsDecodeFromCodePage1252();
};

namespace {

struct WindowKeys {
    int section;
    QStringList keys;
    // Labels the program fills itself: delivered empty so that translating a
    // window never wipes a cabinet number, version, time or address.
    QSet<QString> keptEmpty;
};

QStringList numbered(const QString& prefix, int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << prefix + QString::number(i);
    return names;
}

QList<WindowKeys> translatedWindows() {
    return {
        {StartWindow,
         {"Label1", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8", "Label9"},
         {"Label9"}},
        {CabinetSelection, numbered("Label", 1, 5), {}},
        {DatabaseConfiguration,
         numbered("Label", 1, 5) + QStringList{"GroupBox1", "GroupBox2", "Button1"},
         {}},
        {HistoryChart,
         {"Panel1", "GroupBox1", "Label2", "Label3", "CheckBox1", "CheckBox2", "Button1",
          "Button2"},
         {"Panel1", "CheckBox1"}},
        {CabinetConsole,
         QStringList{"GroupBox1", "GroupBox2", "Zeit", "SourceGroupBox"} +
             numbered("Label", 1, 17) + numbered("Label", 19, 21) + QStringList{"Label23"} +
             numbered("Label", 25, 31) +
             QStringList{"Label35", "HostNameLabel", "HostName", "IP_Label", "rueckluft", "setzen",
                         "auslesen", "Button1", "Button2", "Button3", "Button4", "Button23",
                         "Button27", "softupdatebtn", "resetbtn1"},
         {"Label15", "Label20", "Label25", "Label26", "Label27", "Label28", "Label29", "Label35",
          "HostName", "IP_Label"}},
    };
}

QString dataFile(const QString& name) {
    return QStringLiteral(KD_DATA_DIR) + name;
}

}  // namespace

void TestDeliveredLanguages::initTestCase() {
    kd::setProgramDirectoryForTesting(QStringLiteral(KD_DATA_DIR));
}

void TestDeliveredLanguages::cleanupTestCase() {
    kd::setProgramDirectoryForTesting(QString());
}

void TestDeliveredLanguages::catalogueOffersGermanAndEnglish() {
    QComboBox box;
    QList<QPixmap> flags;
    BuildLanguageList(&box, &flags);

    QCOMPARE(box.count(), 2);
    QCOMPARE(box.itemText(0), QStringLiteral("Deutsch"));
    QCOMPARE(box.itemText(1), QStringLiteral("English"));
    QCOMPARE(flags.size(), 2);
    for (const QPixmap& flag : flags) {
        QCOMPARE(flag.size(), QSize(kFlagSize, kFlagSize));
        QCOMPARE(qAlpha(flag.toImage().pixel(0, 0)), 255);  // loaded, not the blank stand-in
    }
    QVERIFY(flags.at(0).toImage() != flags.at(1).toImage());
    for (int i = 0; i < 2; ++i)
        QVERIFY(QFileInfo::exists(dataFile(LanguageFileStem(i) + ".ini")));
}

void TestDeliveredLanguages::everyKeyIsTranslated_data() {
    QTest::addColumn<QString>("stem");
    QTest::addColumn<int>("section");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("keptEmpty");
    for (const char* stem : {"lang_de", "lang_en"}) {
        for (const WindowKeys& w : translatedWindows())
            QTest::addRow("%s section %d", stem, w.section)
                << QString::fromLatin1(stem) << w.section << w.keys << w.keptEmpty.values();
    }
}

void TestDeliveredLanguages::everyKeyIsTranslated() {
    QFETCH(QString, stem);
    QFETCH(int, section);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, keptEmpty);

    const IniProfile file = IniProfile::fromFile(dataFile(stem + ".ini"));
    const QString name = QString::number(section);
    const QString missing = QStringLiteral("<missing>");
    QVERIFY(!file.readString(name, "titel").isEmpty());
    for (const QString& key : keys) {
        const QString value = file.readString(name, key, missing);
        QVERIFY2(value != missing, qPrintable(key));
        QVERIFY2(value.isEmpty() == keptEmpty.contains(key), qPrintable(key + "=" + value));
    }
}

void TestDeliveredLanguages::textsDecodeFromCodePage1252() {
    QWidget console;
    auto* label = new QLabel(&console);
    label->setObjectName("Label23");
    LoadLanguage(&console, CabinetConsole, QStringLiteral("lang_de"));
    QCOMPARE(console.windowTitle(), QString::fromUtf8("Monitorprogramm für Trockenschrank KD7634"));
    // The leading blank survives because the value is quoted.
    QCOMPARE(label->text(), QString::fromUtf8(" nach dem die Tür geschlossen wurde."));

    QWidget configuration;
    LoadLanguage(&configuration, DatabaseConfiguration, QStringLiteral("lang_de"));
    QCOMPARE(configuration.windowTitle(), QStringLiteral("DB Config"));
}

QTEST_MAIN(TestDeliveredLanguages)
#include "tst_delivered_languages.moc"
