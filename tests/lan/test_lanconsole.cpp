// The LAN behaviour inside the real cabinet console: guards against the
// console's control names or kinds drifting away from what kd::LanTab looks for.
#include "lantab.h"
#include "schrankform.h"
#include "shellopen.h"

#include <QComboBox>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

class TestLanConsole : public QObject {
    Q_OBJECT
private slots:
    void consoleCreationPreparesTheTab();
    void controlsReachTheHandlers();
};

void TestLanConsole::consoleCreationPreparesTheTab() {
    TSchrankForm console;
    QVERIFY(console.findChild<kd::LanTab*>());
    QCOMPARE(console.findChild<QLabel*>(QStringLiteral("HostName"))->text(),
             QHostInfo::localHostName());
    auto* addresses = console.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    const QStringList expected = kd::LanTab::GetLocalAddressList();
    QCOMPARE(addresses->count(), expected.size());
    if (!expected.isEmpty())
        QCOMPARE(addresses->currentText(), expected.first());
    QCOMPARE(console.findChild<QLineEdit*>(QStringLiteral("Schrankip"))->displayText(),
             QStringLiteral("   .   .   .   "));
}

void TestLanConsole::controlsReachTheHandlers() {
    QStringList opened;
    kd::setShellOpenerForTesting([&](const QString& target) {
        opened << target;
        return true;
    });
    TSchrankForm console;
    console.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console));

    auto* list = console.findChild<QListWidget*>(QStringLiteral("Netzwerksuche"));
    list->addItem(QStringLiteral("192.168.1.20 - ABC"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(console.findChild<QLineEdit*>(QStringLiteral("Schrankip"))->text(),
             QStringLiteral("192.168.1.20"));

    auto* ipLabel = console.findChild<QLabel*>(QStringLiteral("IP_Label"));
    QTest::mouseClick(ipLabel, Qt::LeftButton);
    QCOMPARE(opened, QStringList{"http://" + ipLabel->text()});
    kd::setShellOpenerForTesting({});

    // "MPFS-Update" with the empty address field asks for a cabinet first.
    console.findChild<QLineEdit*>(QStringLiteral("Schrankip"))->clear();
    QStringList messages;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    closer.start(10);
    QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"Kein Schrank ausgewählt"});
    QCOMPARE(console.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(), 100);
}

QTEST_MAIN(TestLanConsole)
#include "test_lanconsole.moc"
