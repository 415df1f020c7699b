// The three history windows translate themselves at every show from the
// language chosen in the start window's box; the history chart also switches
// the chart's own texts to German when that box reads exactly "DE".
#include "chart.h"
#include "datamodule1.h"
#include "errorbox.h"
#include "language.h"
#include "mainform.h"
#include "programdir.h"
#include "programwindows.h"
#include "tabverwaltungform.h"
#include "tabwahlform.h"
#include "ui_mainform.h"
#include "ui_tabverwaltungform.h"
#include "ui_tabwahlform.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTranslation : public QObject {
    Q_OBJECT

    void write(const QString& path, const QByteArray& text) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

private slots:
    void showTranslates_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("germanChart");
        // "Deutsch" first: nothing switches the chart's German texts back.
        QTest::newRow("Deutsch keeps the chart's own texts") << "Deutsch" << false;
        QTest::newRow("DE switches the chart to German") << "DE" << true;
    }
    void showTranslates() {
        QFETCH(QString, name);
        QFETCH(bool, germanChart);
        QTemporaryDir dir;
        write(dir.filePath("language.ini"),
              "[0]\r\ncount=1\r\n[1]\r\nname=" + name.toLatin1() + "\r\nfile=lang_x\r\n");
        write(dir.filePath("lang_x.ini"),
              "[1]\r\ntitel=Cabinet selection\r\nLabel3=Display\r\n"
              "[2]\r\ntitel=DB Config X\r\nButton1=Apply\r\nGroupBox2=Logging interval\r\n"
              "[3]\r\ntitel=Measurement history\r\nButton2=Show\r\nCheckBox2=Time on / off\r\n");
        kd::setProgramDirectoryForTesting(dir.path() + "/");
        kd::setErrorPresenter([](const QString&) {});
        qputenv("KD7634_DATABASE", dir.filePath("missing.db").toUtf8());

        QComboBox box;
        box.addItem(name);
        box.setCurrentIndex(0);
        kd::windows() = {};
        kd::windows().Sprachwahl = &box;
        QWidget intro;
        kd::windows().Introform = &intro;
        TDataModule1 dm;
        kd::windows().DataModule1 = &dm;
        TMainform chart;
        kd::windows().Mainform = &chart;
        Ttabwahlform sel;
        kd::windows().tabwahlform = &sel;
        TTabverwaltungForm cfg;
        kd::windows().TabverwaltungForm = &cfg;
        QCOMPARE(kd::chart::germanTexts(), germanChart);  // the creation handler's test

        chart.show();
        sel.show();
        cfg.show();
        QCOMPARE(chart.windowTitle(), QStringLiteral("Measurement history"));
        QCOMPARE(chart.ui->Button2->text(), QStringLiteral("Show"));
        QCOMPARE(chart.ui->CheckBox2->text(), QStringLiteral("Time on / off"));
        QCOMPARE(sel.windowTitle(), QStringLiteral("Cabinet selection"));
        QCOMPARE(sel.ui->Label3->text(), QStringLiteral("Display"));
        QCOMPARE(cfg.windowTitle(), QStringLiteral("DB Config X"));
        QCOMPARE(cfg.ui->Button1->text(), QStringLiteral("Apply"));
        QCOMPARE(cfg.ui->GroupBox2->title(), QStringLiteral("Logging interval"));
        QCOMPARE(kd::chart::germanTexts(), germanChart);
        kd::windows() = {};
        kd::setProgramDirectoryForTesting(QString());
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
