// The start window: version text, per-user settings, service level, manual
// choice and the navigation it starts.
#include "introform.h"
#include "languageitemdelegate.h"
#include "programdir.h"
#include "programwindows.h"
#include "shellopen.h"
#include "usersettings.h"
#include "versiontext.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Stands in for the diagnostic window: only the five service controls that
// the start window governs, found by their names.
class ServiceControlsWindow : public QWidget {
public:
    ServiceControlsWindow() {
        for (const char* name : {"Button15", "Button8", "Button9"}) {
            auto* b = new QPushButton(this);
            b->setObjectName(QLatin1String(name));
        }
        for (const char* name : {"SpinEdit1", "SpinEdit2"}) {
            auto* s = new QSpinBox(this);
            s->setObjectName(QLatin1String(name));
        }
    }
    bool allVisible() const { return countVisible() == 5; }
    bool noneVisible() const { return countVisible() == 0; }

private:
    int countVisible() const {
        int n = 0;
        for (const char* name : {"Button15", "Button8", "Button9", "SpinEdit1", "SpinEdit2"})
            n += findChild<QWidget*>(QLatin1String(name))->isVisibleTo(this) ? 1 : 0;
        return n;
    }
};

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

}  // namespace

class TestStartWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void versionText_data();
    void versionText();
    void versionLabelShowsBuildVersion();

    void manualFileName_data();
    void manualFileName();
    void manualAndWebPageOpenedThroughTheDesktop();

    void firstRunSelectsFirstLanguageAndSavesIndexAtClose();
    void storedIndexNamingNoEntrySavesMinusOne();
    void serviceLevelGovernsServiceControls_data();
    void serviceLevelGovernsServiceControls();
    void pictureButtonsShowTheirWindows();

    void languageBoxTranslatesStartWindow_data();
    void languageBoxTranslatesStartWindow();
    void choosingALanguageTranslatesAtOnce();
    void languageItemDrawing_data();
    void languageItemDrawing();

private:
    void writeTwoLanguages();

    std::unique_ptr<QTemporaryDir> settingsDir_;
    std::unique_ptr<QTemporaryDir> programDir_;
    QStringList opened_;
};

void TestStartWindow::init() {
    settingsDir_ = std::make_unique<QTemporaryDir>();
    programDir_ = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_->path());
    kd::setProgramDirectoryForTesting(programDir_->path());
    // A catalogue of two languages without language files: enough for the
    // box; translation itself is tested with the language layer.
    writeFile(programDir_->filePath(QStringLiteral("language.ini")),
              "[0]\r\ncount=2\r\n[1]\r\nname=Deutsch\r\n[2]\r\nname=English\r\n");
    opened_.clear();
    kd::setShellOpenerForTesting([this](const QString& target) {
        opened_ << target;
        return true;
    });
    kd::windows() = kd::ProgramWindows{};
}

void TestStartWindow::cleanup() {
    kd::setShellOpenerForTesting({});
    kd::setProgramDirectoryForTesting(QString());
    kd::windows() = kd::ProgramWindows{};
}

void TestStartWindow::versionText_data() {
    QTest::addColumn<quint32>("ms");
    QTest::addColumn<quint32>("ls");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.0.0.11") << 0x00010000u << 0x0000000Bu << "1.0.0.11";
    QTest::newRow("parts in order") << 0x00020003u << 0x00040005u << "2.3.4.5";
    QTest::newRow("largest parts") << 0xFFFFFFFFu << 0xFFFF0000u << "65535.65535.65535.0";
}

void TestStartWindow::versionText() {
    QFETCH(quint32, ms);
    QFETCH(quint32, ls);
    QFETCH(QString, text);
    QCOMPARE(kd::formatFileVersion(ms, ls), text);
}

void TestStartWindow::versionLabelShowsBuildVersion() {
    TIntroform form;
    const QString label = form.findChild<QLabel*>(QStringLiteral("Label9"))->text();
    QCOMPARE(label, QStringLiteral("V.") + kd::VersionText());
    QVERIFY(QRegularExpression(QStringLiteral("^V\\.\\d+\\.\\d+\\.\\d+\\.\\d+$"))
                .match(label)
                .hasMatch());
}

void TestStartWindow::manualFileName_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("manual");
    QTest::newRow("Deutsch") << "Deutsch"
                             << "BDA KD7630-v2.pdf";
    QTest::newRow("DE") << "DE"
                        << "BDA KD7630-v2-E.pdf";
    QTest::newRow("English") << "English"
                             << "BDA KD7630-v2-E.pdf";
    QTest::newRow("lower case") << "deutsch"
                                << "BDA KD7630-v2-E.pdf";
    QTest::newRow("no selection") << ""
                                  << "BDA KD7630-v2-E.pdf";
}

void TestStartWindow::manualFileName() {
    QFETCH(QString, language);
    QFETCH(QString, manual);
    QCOMPARE(TIntroform::manualFileName(language), manual);
}

void TestStartWindow::manualAndWebPageOpenedThroughTheDesktop() {
    TIntroform form;
    auto* box = form.findChild<QComboBox*>(QStringLiteral("Sprachwahl"));
    box->setCurrentIndex(0);  // Deutsch
    form.Image9Click();
    box->setCurrentIndex(1);  // English
    form.Image9Click();
    box->setCurrentIndex(-1);
    form.Image9Click();
    form.Image5Click();
    QCOMPARE(opened_, (QStringList{QStringLiteral("BDA KD7630-v2.pdf"),
                                   QStringLiteral("BDA KD7630-v2-E.pdf"),
                                   QStringLiteral("BDA KD7630-v2-E.pdf"),
                                   QString::fromLatin1(kManufacturerWebPage)}));
    QVERIFY(opened_.last().startsWith(QLatin1String("http://")));
    QVERIFY(opened_.last().endsWith(QLatin1String("/intern/KD7630_48.php")));
}

void TestStartWindow::firstRunSelectsFirstLanguageAndSavesIndexAtClose() {
    QVERIFY(!kd::UserSettings::readDword(QStringLiteral("lang")).has_value());
    ServiceControlsWindow intern;
    kd::windows().InternForm = &intern;
    {
        TIntroform form;
        auto* box = form.findChild<QComboBox*>(QStringLiteral("Sprachwahl"));
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(form.LanguageIndex(), 0);
        QCOMPARE(form.ServiceLevel(), 0);
        form.show();
        QVERIFY(intern.noneVisible());
        // The key is created only at close, not at start.
        QVERIFY(!kd::UserSettings::readDword(QStringLiteral("lang")).has_value());
        box->setCurrentIndex(1);
        form.SprachwahlChange();
        form.close();
    }
    QCOMPARE(kd::UserSettings::readDword(QStringLiteral("lang")), std::optional<qint32>(1));
    QVERIFY(!kd::UserSettings::readDword(QStringLiteral("kwb")).has_value());
}

void TestStartWindow::storedIndexNamingNoEntrySavesMinusOne() {
    QVERIFY(kd::UserSettings::writeDword(QStringLiteral("lang"), 5));
    {
        TIntroform form;
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("Sprachwahl"))->currentIndex(), -1);
        QCOMPARE(form.LanguageIndex(), -1);
        form.close();
    }
    QCOMPARE(kd::UserSettings::readDword(QStringLiteral("lang")), std::optional<qint32>(-1));
}

void TestStartWindow::serviceLevelGovernsServiceControls_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("shown");
    QTest::newRow("1 hides") << 1 << false;
    QTest::newRow("2 shows") << 2 << true;
    QTest::newRow("7 shows") << 7 << true;
    QTest::newRow("negative hides") << -3 << false;
}

void TestStartWindow::serviceLevelGovernsServiceControls() {
    QFETCH(int, level);
    QFETCH(bool, shown);
    QVERIFY(kd::UserSettings::writeDword(QStringLiteral("kwb"), level));
    ServiceControlsWindow intern;
    kd::windows().InternForm = &intern;
    QWidget console;
    auto* image1 = new QLabel(&console);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->hide();
    kd::windows().SchrankForm = &console;

    TIntroform form;
    QCOMPARE(form.ServiceLevel(), level);
    form.show();
    QCOMPARE(intern.allVisible(), shown);
    QCOMPARE(intern.noneVisible(), !shown);
    QVERIFY(image1->isVisibleTo(&console));
}

void TestStartWindow::pictureButtonsShowTheirWindows() {
    QWidget console, selection, configuration;
    kd::windows().SchrankForm = &console;
    kd::windows().tabwahlform = &selection;
    kd::windows().TabverwaltungForm = &configuration;
    TIntroform form;
    form.show();
    form.Image6Click();
    QVERIFY(console.isVisible());
    form.Image2Click();
    QVERIFY(selection.isVisible());
    form.Image4Click();
    QVERIFY(configuration.isVisible());
    // The start window never hides itself when it shows another window.
    QVERIFY(form.isVisible());
}

// Two languages with files; the second file has no "Label9", the first one
// replaces the version text.
void TestStartWindow::writeTwoLanguages() {
    writeFile(programDir_->filePath(QStringLiteral("language.ini")),
              "[0]\r\ncount=2\r\n[1]\r\nname=Deutsch\r\nfile=lang_a\r\n"
              "[2]\r\nname=English\r\nfile=lang_b\r\n");
    writeFile(programDir_->filePath(QStringLiteral("lang_a.ini")),
              "[0]\r\ntitel=Start A\r\nLabel3=Ansicht A\r\nLabel9=Version A\r\n"
              "[5]\r\ntitel=Console A\r\n");
    writeFile(programDir_->filePath(QStringLiteral("lang_b.ini")),
              "[0]\r\ntitel=Start B\r\nLabel3=View B\r\n");
}

void TestStartWindow::languageBoxTranslatesStartWindow_data() {
    QTest::addColumn<int>("storedIndex");  // -2: no stored value
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label3");
    QTest::addColumn<bool>("versionShown");

    QTest::newRow("first run takes the first entry") << -2 << 0 << "Start A"
                                                     << "Ansicht A" << false;
    QTest::newRow("stored index 1") << 1 << 1 << "Start B"
                                    << "View B" << true;
    QTest::newRow("stored index naming no entry") << 2 << -1 << ""
                                                  << "Ansicht" << true;
}

void TestStartWindow::languageBoxTranslatesStartWindow() {
    QFETCH(int, storedIndex);
    QFETCH(int, selected);
    QFETCH(QString, caption);
    QFETCH(QString, label3);
    QFETCH(bool, versionShown);
    writeTwoLanguages();
    if (storedIndex != -2)
        QVERIFY(kd::UserSettings::writeDword(QStringLiteral("lang"), storedIndex));

    TIntroform form;
    QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("Sprachwahl"))->currentIndex(), selected);
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), label3);
    // The version label is a label like any other: a key "Label9" replaces it.
    auto* label9 = form.findChild<QLabel*>(QStringLiteral("Label9"));
    QCOMPARE(label9->text(),
             versionShown ? QStringLiteral("V.") + kd::VersionText() : QStringLiteral("Version A"));
    QVERIFY(label9->width() >= label9->sizeHint().width());
}

void TestStartWindow::choosingALanguageTranslatesAtOnce() {
    writeTwoLanguages();
    QWidget console;
    console.setWindowTitle(QStringLiteral("Monitor"));
    kd::windows().SchrankForm = &console;
    TIntroform form;
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Start A"));

    // The user picks the second entry: the start window changes at once, no
    // other window is touched, and the choice is what the close saves.
    auto* box = form.findChild<QComboBox*>(QStringLiteral("Sprachwahl"));
    box->setCurrentIndex(1);
    emit box->activated(1);
    QCOMPARE(form.windowTitle(), QStringLiteral("Start B"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("View B"));
    QCOMPARE(form.LanguageIndex(), 1);
    QCOMPARE(console.windowTitle(), QStringLiteral("Monitor"));
    form.close();
    QCOMPARE(kd::UserSettings::readDword(QStringLiteral("lang")), std::optional<qint32>(1));
}

void TestStartWindow::languageItemDrawing_data() {
    QTest::addColumn<bool>("selected");
    QTest::newRow("item") << false;
    QTest::newRow("selected item") << true;
}

// The flag's top-left corner sits on the item's, the name starts 18 pixels
// right of the item's left edge, the rest is the item's background.
void TestStartWindow::languageItemDrawing() {
    QFETCH(bool, selected);
    const QRect item(10, 20, 97, 16);
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, Qt::blue);
    palette.setColor(QPalette::HighlightedText, Qt::yellow);
    QPixmap flag(16, 16);
    flag.fill(Qt::red);

    QImage image(120, 50, QImage::Format_RGB32);
    image.fill(Qt::green);
    {
        QPainter painter(&image);
        kd::LanguageItemDelegate::SprachwahlDrawItem(&painter, item, flag, QStringLiteral("WWWW"),
                                                     selected, palette);
    }
    const QRgb background = QColor(selected ? Qt::blue : Qt::white).rgb();
    const QRgb red = QColor(Qt::red).rgb();
    const QRgb outside = QColor(Qt::green).rgb();
    QCOMPARE(image.pixel(item.left(), item.top()), red);
    QCOMPARE(image.pixel(item.left() + 15, item.bottom()), red);
    QCOMPARE(image.pixel(item.left() - 1, item.top()), outside);
    QCOMPARE(image.pixel(item.left(), item.top() - 1), outside);
    QCOMPARE(image.pixel(item.right() + 1, item.top()), outside);
    QCOMPARE(image.pixel(item.right(), item.bottom()), background);
    bool textSeen = false;
    for (int y = item.top(); y <= item.bottom(); ++y) {
        for (int x = item.left() + 16; x < item.left() + 18; ++x)
            QCOMPARE(image.pixel(x, y), background);
        for (int x = item.left() + 18; x <= item.right(); ++x)
            textSeen |= image.pixel(x, y) != background;
    }
    QVERIFY(textSeen);
}

QTEST_MAIN(TestStartWindow)
#include "test_startwindow.moc"
