// The cabinet selection and the database configuration on real SQLite files:
// the year overview, the shared cabinet row, alias and flag edits, the error
// grid and the recording interval.
#include "chart.h"
#include "datamodule1.h"
#include "errorbox.h"
#include "errorgrid.h"
#include "intervalspinbox.h"
#include "logger.h"
#include "mainform.h"
#include "programwindows.h"
#include "sqlitefile.h"
#include "tabledataset.h"
#include "tabverwaltungform.h"
#include "tabwahlform.h"
#include "ui_mainform.h"
#include "ui_tabverwaltungform.h"
#include "ui_tabwahlform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {
const QString kLabor = "00-1E-C0-4A-11-01";
const QString kLager = "00-1E-C0-4A-11-02";
const QString kPruef = "00-1E-C0-4A-11-03";
}  // namespace

class TestSelection : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString sample_;
    QString path_;
    QStringList errors_;
    std::unique_ptr<QWidget> intro_;
    std::unique_ptr<TDataModule1> dm_;
    std::unique_ptr<TMainform> chart_;
    std::unique_ptr<Ttabwahlform> sel_;
    std::unique_ptr<TTabverwaltungForm> cfg_;

    // The windows in their creation order on the database at path_.
    void createWindows() {
        qputenv("KD7634_DATABASE", path_.toUtf8());
        kd::windows() = {};
        intro_ = std::make_unique<QWidget>();
        kd::windows().Introform = intro_.get();
        dm_ = std::make_unique<TDataModule1>();
        kd::windows().DataModule1 = dm_.get();
        chart_ = std::make_unique<TMainform>();
        kd::windows().Mainform = chart_.get();
        sel_ = std::make_unique<Ttabwahlform>();
        kd::windows().tabwahlform = sel_.get();
        cfg_ = std::make_unique<TTabverwaltungForm>();
        kd::windows().TabverwaltungForm = cfg_.get();
    }
    void useSample() { QVERIFY(QFile::copy(sample_, path_)); }
    QImage picture(const QLabel* l) { return l->pixmap().toImage(); }

private slots:
    void initTestCase() {
        sample_ = dir_.filePath("sample.db");
        kd::sim::LoggerConfig c;
        c.path = sample_;
        c.days = 450;
        c.now = QDateTime(QDate(2014, 3, 10), QTime(12, 0));
        QString error;
        QVERIFY2(kd::sim::createSampleDatabase(c, &error), qPrintable(error));
    }
    void init() {
        path_ = dir_.filePath(QStringLiteral("%1-%2.db")
                                  .arg(QTest::currentTestFunction(),
                                       QString::number(qHash(QTest::currentDataTag()))));
        QFile::remove(path_);
        errors_.clear();
        kd::setErrorPresenter([this](const QString& e) { errors_ << e; });
    }
    void cleanup() {
        cfg_.reset();
        sel_.reset();
        chart_.reset();
        dm_.reset();
        intro_.reset();
        kd::windows() = {};
    }

    void yearOverview2013() {
        useSample();
        createWindows();
        sel_->show();
        QCOMPARE(sel_->ui->DBLookupComboBox1->count(), 3);
        QCOMPARE(sel_->ui->DBLookupComboBox1->currentText(), QString());
        sel_->chooseCabinet(0);
        sel_->ui->MaskEdit1->setText("2013");
        sel_->Image1Click();
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QVERIFY(chart_->isVisible());
        QVERIFY(!sel_->isVisible());
        QVERIFY(!intro_->isVisible());
        QVERIFY(chart_->ui->CheckBox1->isChecked());
        QCOMPARE(chart_->ui->DateTimePicker1->date(), QDate(2013, 1, 1));
        QCOMPARE(chart_->ui->DateTimePicker2->date(), QDate(2013, 12, 31));
        QCOMPARE(chart_->ui->DBChart1->title(), QStringLiteral("Labor"));
        QCOMPARE(chart_->CabinetTable, kLabor);
        SqliteFile f(path_);
        const int rows = f.scalar("SELECT COUNT(*) FROM \"" + kLabor +
                                  "\" WHERE datetime < '2014-01-01' AND datetime >= '2013-01-01'")
                             .toInt();
        QVERIFY(rows > 80000);
        QCOMPARE(chart_->ui->DBChart1->pointCount(0), rows);
        // The week of outage and the monthly stops are cut from the axis.
        QVERIFY(chart_->ui->DBChart1->breaks().size() >= 10);
    }

    void arrowPictures() {
        useSample();
        createWindows();
        sel_->show();
        QCOMPARE(picture(sel_->ui->Image1), picture(sel_->ui->arg));
        sel_->chooseCabinet(1);
        QCOMPARE(picture(sel_->ui->Image1), picture(sel_->ui->arb));
        QCOMPARE(sel_->ui->DBEdit1->text(), kLager);
    }

    void noCabinetChosenDoesNothing() {
        useSample();
        createWindows();
        sel_->show();
        sel_->Image1Click();
        QVERIFY(errors_.isEmpty());
        QVERIFY(!chart_->isVisible());
        QVERIFY(sel_->isVisible());
    }

    void badYear_data() {
        QTest::addColumn<QString>("year");
        QTest::addColumn<bool>("chartShown");
        QTest::newRow("incomplete: 20__") << "20" << false;
        QTest::newRow("year 0000") << "0000" << true;
    }
    void badYear() {
        QFETCH(QString, year);
        QFETCH(bool, chartShown);
        useSample();
        createWindows();
        sel_->show();
        sel_->chooseCabinet(2);
        sel_->ui->MaskEdit1->setText(year);
        QVERIFY_THROWS_EXCEPTION(kd::Error, sel_->Image1Click());
        QCOMPARE(chart_->CabinetTable, kPruef);
        QCOMPARE(chart_->isVisible(), chartShown);
        QVERIFY(!dm_->ZQuery1.isOpen());  // the display did not run
        QVERIFY(sel_->isVisible());
    }

    void closedDatabase() {
        createWindows();              // no file
        QCOMPARE(errors_.size(), 1);  // the interval could not be read at creation
        QCOMPARE(cfg_->ui->SpinEdit1->value(), 360);
        sel_->show();
        QCOMPARE(errors_.size(), 2);  // re-reading the cabinet list
        QCOMPARE(sel_->ui->DBLookupComboBox1->count(), 0);
        sel_->Image1Click();
        QVERIFY(!chart_->isVisible());
        QVERIFY(!QFile::exists(path_));
    }

    // Choose A here and B in the configuration: the overview charts B's table
    // under A's alias, as the shared current row and the box's own text say.
    void sharedCurrentRow() {
        useSample();
        createWindows();
        sel_->show();
        sel_->chooseCabinet(0);
        cfg_->show();
        cfg_->chooseCabinet(1);
        QCOMPARE(cfg_->ui->DBText1->text(), kLager);
        sel_->ui->MaskEdit1->setText("2013");
        sel_->Image1Click();
        QCOMPARE(chart_->CabinetTable, kLager);
        QCOMPARE(chart_->ui->DBChart1->title(), QStringLiteral("Labor"));
    }

    void duplicateAliasChartsTheFirstRow() {
        useSample();
        {
            SqliteFile f(path_);
            f.exec("UPDATE Schraenke SET alias = 'Labor' WHERE mac = '" + kPruef + "'");
        }
        createWindows();
        sel_->show();
        QCOMPARE(sel_->ui->DBLookupComboBox1->count(), 3);
        sel_->chooseCabinet(2);
        QCOMPARE(sel_->ui->DBEdit1->text(), kLabor);
    }

    void choosingShowsTheRow_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<int>("state");
        QTest::newRow("Labor: Wahr") << 0 << kLabor << "Labor" << int(Qt::Checked);
        QTest::newRow("Lager: Falsch") << 1 << kLager << "Lager" << int(Qt::Unchecked);
        QTest::newRow("Prüffeld: NULL") << 2 << kPruef << "Prüffeld" << int(Qt::PartiallyChecked);
    }
    void choosingShowsTheRow() {
        QFETCH(int, index);
        QFETCH(QString, mac);
        QFETCH(QString, alias);
        QFETCH(int, state);
        useSample();
        createWindows();
        cfg_->show();
        cfg_->chooseCabinet(index);
        QCOMPARE(cfg_->ui->DBText1->text(), mac);
        QCOMPARE(cfg_->ui->DBEdit1->text(), alias);
        QCOMPARE(int(cfg_->ui->DBCheckBox1->checkState()), state);
    }

    void editsReachTheFile() {
        useSample();
        createWindows();
        cfg_->show();
        cfg_->chooseCabinet(2);
        QTest::mouseClick(cfg_->ui->DBCheckBox1, Qt::LeftButton);  // undetermined -> ticked
        cfg_->ui->DBEdit1->selectAll();
        QTest::keyClicks(cfg_->ui->DBEdit1, "Raum 2");
        QVERIFY(dm_->DataSource2->isEditing());
        cfg_->chooseCabinet(0);  // posts the pending edit
        SqliteFile f(path_);
        QCOMPARE(f.scalar("SELECT alias FROM Schraenke WHERE mac = '" + kPruef + "'"),
                 QStringLiteral("Raum 2"));
        QCOMPARE(f.scalar("SELECT Aktiv FROM Schraenke WHERE mac = '" + kPruef + "'"),
                 QStringLiteral("Wahr"));
        // Clearing with the navigator's post button.
        QTest::mouseClick(cfg_->ui->DBCheckBox1, Qt::LeftButton);
        cfg_->ui->NavPost->click();
        QCOMPARE(f.scalar("SELECT Aktiv FROM Schraenke WHERE mac = '" + kLabor + "'"),
                 QStringLiteral("Falsch"));
    }

    void interval_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("buttonAtStart");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("360 hidden, 600 typed") << "360" << 360 << false << "600"
                                               << "600";
        QTest::newRow("600 visible, written again") << "600" << 600 << true << ""
                                                    << "600";
        QTest::newRow("5000 typed writes 3600") << "360" << 360 << false << "5000"
                                                << "3600";
        QTest::newRow("30 typed writes 60") << "360" << 360 << false << "30"
                                            << "60";
        QTest::newRow("7200 stored shows 3600") << "7200" << 3600 << true << ""
                                                << "3600";
        QTest::newRow("text stored: conversion error, 360") << "'abc'" << 360 << false << "400"
                                                            << "400";
    }
    void interval() {
        QFETCH(QString, stored);
        QFETCH(int, shown);
        QFETCH(bool, buttonAtStart);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        useSample();
        {
            SqliteFile f(path_);
            f.exec("UPDATE Logger SET Intervall = " + stored + " WHERE id = 1");
        }
        createWindows();
        QCOMPARE(errors_.size(), stored.startsWith('\'') ? 1 : 0);
        QCOMPARE(cfg_->ui->SpinEdit1->value(), shown);
        QCOMPARE(!cfg_->ui->Button1->isHidden(), buttonAtStart);
        if (!typed.isEmpty()) {
            cfg_->ui->SpinEdit1->findChild<QLineEdit*>()->selectAll();
            QTest::keyClicks(cfg_->ui->SpinEdit1, typed);
            QVERIFY(!cfg_->ui->Button1->isHidden());
        }
        cfg_->Button1Click();
        QVERIFY(cfg_->ui->Button1->isHidden());
        QCOMPARE(dm_->ZQuery2.sql(), "UPDATE Logger SET Intervall=" + written + " WHERE id = 1;");
        SqliteFile f(path_);
        QCOMPARE(f.scalar("SELECT Intervall FROM Logger WHERE id = 1"), written);
    }

    void intervalWriteAgainstALock() {
        useSample();
        createWindows();
        cfg_->ui->SpinEdit1->setValue(900);
        SqliteFile logger(path_);
        QCOMPARE(logger.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
        QVERIFY_THROWS_EXCEPTION(kd::Error, cfg_->Button1Click());
        QVERIFY(!cfg_->ui->Button1->isHidden());  // the user can try again
        logger.exec("COMMIT");
        cfg_->Button1Click();
        QCOMPARE(logger.scalar("SELECT Intervall FROM Logger WHERE id = 1"), QStringLiteral("900"));
    }

    void ansicht() {
        useSample();
        createWindows();
        cfg_->show();
        cfg_->Image2Click();  // nothing chosen
        QVERIFY(!chart_->isVisible());
        cfg_->chooseCabinet(1);
        cfg_->Image2Click();
        const int year = QDate::currentDate().year();
        QVERIFY(chart_->isVisible());
        QVERIFY(cfg_->isVisible());
        QCOMPARE(chart_->ui->DateTimePicker1->date(), QDate(year, 1, 1));
        QCOMPARE(chart_->ui->DateTimePicker2->date(), QDate(year, 12, 31));
        QCOMPARE(chart_->ui->DBChart1->title(), QStringLiteral("Lager"));
        QCOMPARE(chart_->CabinetTable, kLager);
    }

    void errorGridEditing() {
        useSample();
        createWindows();
        cfg_->show();
        auto* grid = cfg_->ui->DBGrid1;
        auto* table = dm_->ZTable2;
        SqliteFile f(path_);
        const int ts = table->fieldIndex("timestamp");
        const int text = table->fieldIndex("ereigniss");
        QCOMPARE(table->rowCount(), 4);
        QVERIFY(grid->isColumnHidden(table->fieldIndex("id")));
        grid->setCurrentIndex(table->index(3, ts));

        // A new row left untouched is dropped.
        grid->insertRowHere(true);
        QCOMPARE(table->rowCount(), 5);
        grid->setCurrentIndex(table->index(0, ts));
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Fehler"), QStringLiteral("4"));

        // A new row with a text is posted when the row is left.
        grid->insertRowHere(true);
        table->setData(table->index(4, text), "Tür offen");
        grid->setCurrentIndex(table->index(0, ts));
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Fehler"), QStringLiteral("5"));
        QCOMPARE(f.scalar("SELECT ereigniss FROM Fehler ORDER BY id DESC"),
                 QStringLiteral("Tür offen"));

        // A changed cell is posted when the row is left.
        table->setData(table->index(0, text), "geändert");
        grid->setCurrentIndex(table->index(1, ts));
        QCOMPARE(f.scalar("SELECT ereigniss FROM Fehler ORDER BY id"), QStringLiteral("geändert"));

        // Ctrl+Delete after the confirmation; refused confirmation keeps the row.
        grid->setConfirm([] { return false; });
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Fehler"), QStringLiteral("5"));
        grid->setConfirm([] { return true; });
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Fehler"), QStringLiteral("4"));
        QVERIFY(errors_.isEmpty());
    }

    // After a year overview the grid shows date-time texts in the short date
    // format, also for the hour that clocks skip when summer time starts.
    void errorGridDatesAfterAnOverview_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ordinary time") << "2013-06-01 14:05:09"
                                       << "01.06.13 14:05:09";
        QTest::newRow("hour skipped by summer time") << "2014-03-30 02:30:00"
                                                     << "30.03.14 02:30:00";
        QTest::newRow("not a date stays as stored") << "gestern"
                                                    << "gestern";
    }
    void errorGridDatesAfterAnOverview() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const QByteArray formerZone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto restore = qScopeGuard([&] {
            if (formerZone.isNull())
                qunsetenv("TZ");
            else
                qputenv("TZ", formerZone);
            tzset();
        });
        useSample();
        {
            SqliteFile f(path_);
            QCOMPARE(f.exec("UPDATE Fehler SET timestamp = '" + stored +
                            "' WHERE id = (SELECT MIN(id) FROM Fehler)"),
                     0);
        }
        createWindows();
        sel_->show();
        sel_->chooseCabinet(0);
        sel_->ui->MaskEdit1->setText("2013");
        sel_->Image1Click();
        cfg_->show();
        auto* grid = cfg_->ui->DBGrid1;
        auto* table = dm_->ZTable2;
        const QModelIndex cell = table->index(0, table->fieldIndex("timestamp"));
        QCOMPARE(cell.data().toString(), stored);
        auto* delegate = qobject_cast<QStyledItemDelegate*>(grid->itemDelegate());
        QVERIFY(delegate);
        QCOMPARE(delegate->displayText(cell.data(), QLocale()), shown);
    }

    void navigation() {
        useSample();
        createWindows();
        sel_->show();
        sel_->ui->Image4->clicked();
        QVERIFY(cfg_->isVisible());
        QVERIFY(!sel_->isVisible());
        QVERIFY(!intro_->isVisible());
        cfg_->ui->Image5->clicked();
        QVERIFY(intro_->isVisible());
        QVERIFY(!cfg_->isVisible());
        sel_->show();
        sel_->ui->Image5->clicked();
        QVERIFY(intro_->isVisible());
        intro_->hide();
        sel_->show();
        sel_->close();  // neither the chart nor the configuration is visible
        QVERIFY(intro_->isVisible());
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
