#include "language.h"
#include "schrankform.h"

#include "programdir.h"
#include "programwindows.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kd::i18n;

// The cabinet console translating itself from the language chosen in the
// start window's box.
class TestConsoleLanguage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void changeWhileOpenTakesEffectAtNextShow();
    void sectionWithoutTitel_data();
    void sectionWithoutTitel();

private:
    void write(const QString& name, const QByteArray& bytes);
    QString setzen() const { return console_->findChild<QPushButton*>("setzen")->text(); }

    QTemporaryDir dir_;
    QComboBox box_;
    std::unique_ptr<TSchrankForm> console_;
};

void TestConsoleLanguage::init() {
    QVERIFY(dir_.isValid());
    kd::setProgramDirectoryForTesting(dir_.path());
    write("language.ini",
          "[0]\ncount=3\n[1]\nname=Deutsch\nfile=lang_a\n[2]\nname=English\nfile=lang_b\n"
          "[3]\nname=Leer\nfile=\n");
    write("lang_a.ini", "[5]\ntitel=Konsole\nsetzen=Setzen\n");
    write("lang_b.ini", "[5]\ntitel=Console\nsetzen=Set\n");

    kd::windows() = kd::ProgramWindows();
    QList<QPixmap> flags;
    BuildLanguageList(&box_, &flags);
    kd::windows().Sprachwahl = &box_;
    console_ = std::make_unique<TSchrankForm>(nullptr, nullptr);
}

void TestConsoleLanguage::cleanup() {
    console_.reset();
    kd::windows() = kd::ProgramWindows();
    kd::setProgramDirectoryForTesting(QString());
}

void TestConsoleLanguage::write(const QString& name, const QByteArray& bytes) {
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestConsoleLanguage::changeWhileOpenTakesEffectAtNextShow() {
    box_.setCurrentIndex(0);
    console_->show();
    QCOMPARE(console_->windowTitle(), QStringLiteral("Konsole"));

    box_.setCurrentIndex(1);
    QCOMPARE(setzen(), QStringLiteral("Setzen"));
    console_->close();  // only hides it
    console_->show();
    QCOMPARE(console_->windowTitle(), QStringLiteral("Console"));
    QCOMPARE(setzen(), QStringLiteral("Set"));

    // An entry whose "file" is empty changes no text.
    box_.setCurrentIndex(2);
    console_->close();
    console_->show();
    QCOMPARE(console_->windowTitle(), QStringLiteral("Console"));
    QCOMPARE(setzen(), QStringLiteral("Set"));
}

void TestConsoleLanguage::sectionWithoutTitel_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("setzen");

    QTest::newRow("setzen renamed") << QByteArray("[5]\nsetzen=Apply\n") << "Apply";
    QTest::newRow("tab sheet key changes nothing")
        << QByteArray("[5]\nTabSheet1=Sheet\nPageControl1=Pages\n") << "Setzen";
    QTest::newRow("titel only in another section") << QByteArray("[0]\ntitel=Start\n") << "Setzen";
}

void TestConsoleLanguage::sectionWithoutTitel() {
    QFETCH(QByteArray, file);
    QFETCH(QString, setzen);
    write("lang_a.ini", file);

    box_.setCurrentIndex(0);
    console_->show();

    QCOMPARE(console_->windowTitle(), QString());
    QCOMPARE(this->setzen(), setzen);
    auto* tabs = console_->findChild<QTabWidget*>("PageControl1");
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QStringLiteral("USB"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("LAN"));
}

QTEST_MAIN(TestConsoleLanguage)
#include "tst_console_language.moc"
