// The whole program's windows: creation order, one instance each, and the
// navigation rules that span several windows.
#include "errorbox.h"
#include "program.h"
#include "programwindows.h"

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createsEveryWindowOnceInOrder();
    void closingOtherWindowsOnlyHidesThem();
    void historyWindowsBringTheStartWindowBack_data();
    void historyWindowsBringTheStartWindowBack();
    void closingTheStartWindowEndsTheProgram();

private:
    QTemporaryDir dir_;
    QStringList errors_;
    std::unique_ptr<kd::Program> program_;
};

void TestProgram::initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    // No database and no cabinet: the windows must still all exist.
    qputenv("KD7634_DATABASE", dir_.filePath(QStringLiteral("missing.db")).toLocal8Bit());
    qunsetenv("KD7634_VIRTUAL_CABINET");
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestProgram::init() {
    errors_.clear();
    kd::setErrorPresenter([this](const QString& text) { errors_ << text; });
    program_ = std::make_unique<kd::Program>();
}

void TestProgram::cleanup() {
    program_.reset();
    kd::setErrorPresenter({});
}

void TestProgram::createsEveryWindowOnceInOrder() {
    QStringList names;
    for (QObject* o : program_->instances())
        names << o->objectName();
    QCOMPARE(names, (QStringList{"Introform", "SchrankForm", "Form1", "GraphForm", "InternForm",
                                 "DataModule1", "Mainform", "tabwahlform", "TabverwaltungForm"}));
    const kd::ProgramWindows& w = kd::windows();
    const QList<QObject*> byReference{w.Introform, w.SchrankForm, w.Form1,
                                      w.GraphForm, w.InternForm,  w.DataModule1,
                                      w.Mainform,  w.tabwahlform, w.TabverwaltungForm};
    QCOMPARE(byReference, program_->instances());
    QVERIFY(w.cabinet && w.diagnostics && w.Sprachwahl);

    QHash<QString, int> perClass;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() != QLatin1String("") && program_->instances().contains(top))
            ++perClass[QString::fromLatin1(top->metaObject()->className())];
    for (auto it = perClass.cbegin(); it != perClass.cend(); ++it)
        QCOMPARE(it.value(), 1);
    QCOMPARE(perClass.size(), 8);  // eight windows and the data module
    // With the database missing, the only message is the configuration
    // window's failed interval read.
    QCOMPARE(errors_.size(), 1);
}

void TestProgram::closingOtherWindowsOnlyHidesThem() {
    const kd::ProgramWindows& w = kd::windows();
    kd::showWindow(w.Introform);
    for (QWidget* window : {w.SchrankForm, w.InternForm, w.GraphForm}) {
        QPointer<QWidget> alive(window);
        kd::showWindow(window);
        QVERIFY(window->close());
        QVERIFY(alive);
        QVERIFY(!window->isVisible());
        QVERIFY(w.Introform->isVisible());
    }
}

void TestProgram::historyWindowsBringTheStartWindowBack_data() {
    QTest::addColumn<QString>("hidden");
    QTest::addColumn<QStringList>("alsoVisible");
    QTest::addColumn<bool>("startShown");
    QTest::newRow("history chart alone") << "Mainform" << QStringList{} << true;
    QTest::newRow("history chart over selection")
        << "Mainform" << QStringList{"tabwahlform"} << false;
    QTest::newRow("history chart over configuration")
        << "Mainform" << QStringList{"TabverwaltungForm"} << true;
    QTest::newRow("selection alone") << "tabwahlform" << QStringList{} << true;
    QTest::newRow("selection under history chart")
        << "tabwahlform" << QStringList{"Mainform"} << false;
    QTest::newRow("selection beside configuration")
        << "tabwahlform" << QStringList{"TabverwaltungForm"} << false;
    QTest::newRow("configuration alone") << "TabverwaltungForm" << QStringList{} << true;
    QTest::newRow("configuration beside selection")
        << "TabverwaltungForm" << QStringList{"tabwahlform"} << false;
}

void TestProgram::historyWindowsBringTheStartWindowBack() {
    QFETCH(QString, hidden);
    QFETCH(QStringList, alsoVisible);
    QFETCH(bool, startShown);
    const kd::ProgramWindows& w = kd::windows();
    const QHash<QString, QWidget*> byName{{"Mainform", w.Mainform},
                                          {"tabwahlform", w.tabwahlform},
                                          {"TabverwaltungForm", w.TabverwaltungForm}};
    kd::showWindow(byName[hidden]);
    for (const QString& name : alsoVisible)
        kd::showWindow(byName[name]);
    w.Introform->hide();  // to see whether the rule brings it back

    byName[hidden]->close();
    QCOMPARE(w.Introform->isVisible(), startShown);
}

void TestProgram::closingTheStartWindowEndsTheProgram() {
    const kd::ProgramWindows& w = kd::windows();
    kd::showWindow(w.Introform);
    kd::showWindow(w.SchrankForm);
    kd::showWindow(w.InternForm);
    QTimer::singleShot(0, w.Introform, [&w] { w.Introform->close(); });
    // A watchdog so a failure ends the loop instead of hanging the test.
    bool watchdogFired = false;
    QTimer::singleShot(20000, qApp, [&watchdogFired] {
        watchdogFired = true;
        QCoreApplication::exit(1);
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!watchdogFired);
}

QTEST_MAIN(TestProgram)
#include "test_program.moc"
