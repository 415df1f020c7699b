// The history chart on real SQLite files: the display's SQL and series, the
// gap scan through the history query, the export of the plotted values and
// the navigation.
#include "chart.h"
#include "datamodule1.h"
#include "datetimevalue.h"
#include "errorbox.h"
#include "historysql.h"
#include "logger.h"
#include "mainform.h"
#include "programwindows.h"
#include "sqlitefile.h"
#include "ui_mainform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using Minutes = QList<int>;

namespace {
// Runs `action` on the next modal file dialog once it is open (checked every
// 10 ms); a dialog the action leaves open is rejected, so nothing hangs.
void onNextFileDialog(std::function<void(QFileDialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    timer->start();
}
}  // namespace

class TestMainform : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<TDataModule1> dm_;
    std::unique_ptr<TMainform> form_;
    std::unique_ptr<QWidget> intro_, selection_;
    QStringList errors_;

    // A measurement table "FF-FF-FF-FF-FF-FF" with readings at the given
    // minutes after 1 March 2014 00:00.
    void writeReadings(const Minutes& minutes) {
        SqliteFile f(path_);
        f.exec(
            "CREATE TABLE \"FF-FF-FF-FF-FF-FF\" (id INTEGER PRIMARY KEY, datetime TEXT, "
            "humi_oben REAL, humi_unten REAL, fehler INTEGER)");
        f.exec("BEGIN");
        for (int m : minutes) {
            const QDateTime t = QDateTime(QDate(2014, 3, 1), QTime(0, 0)).addSecs(m * 60);
            f.exec(QString("INSERT INTO \"FF-FF-FF-FF-FF-FF\" (datetime, humi_oben, humi_unten, "
                           "fehler) VALUES ('%1', %2, %3, %4)")
                       .arg(t.toString("yyyy-MM-dd hh:mm:ss"))
                       .arg(10 + m % 7)
                       .arg(8 + m % 5)
                       .arg(m % 2));
        }
        f.exec("COMMIT");
    }

    void display(const QString& table, bool span, QDate from, QDate to) {
        form_->CabinetTable = table;
        form_->ui->CheckBox1->setChecked(span);
        form_->ui->DateTimePicker1->setDate(from);
        form_->ui->DateTimePicker2->setDate(to);
        form_->Button2Click();
    }

private slots:
    void init() {
        path_ = dir_.filePath(QStringLiteral("%1.db").arg(QTest::currentTestFunction()));
        QFile::remove(path_);
        kd::sim::LoggerConfig c;
        c.path = path_;
        c.days = 10;
        c.now = QDateTime(QDate(2014, 3, 10), QTime(12, 0));
        QString error;
        QVERIFY2(kd::sim::createSampleDatabase(c, &error), qPrintable(error));
        qputenv("KD7634_DATABASE", path_.toUtf8());
        errors_.clear();
        kd::setErrorPresenter([this](const QString& e) { errors_ << e; });
        kd::windows() = {};
        intro_ = std::make_unique<QWidget>();
        selection_ = std::make_unique<QWidget>();
        kd::windows().Introform = intro_.get();
        dm_ = std::make_unique<TDataModule1>();
        kd::windows().DataModule1 = dm_.get();
        form_ = std::make_unique<TMainform>();
        kd::windows().Mainform = form_.get();
        kd::windows().tabwahlform = selection_.get();
    }
    void cleanup() {
        form_.reset();
        dm_.reset();
        kd::windows() = {};
    }

    void designedSeries() {
        const kd::chart::Chart* c = form_->ui->DBChart1;
        QCOMPARE(c->seriesCount(), 3);
        const QStringList titles{"Humi. up", "Humi. down", "error"};
        const QStringList legends{"r.H.oben", "r.H. unten", "Fehler"};
        const QList<quint32> colours{0xFF008000, 0xFF0000A0, 0xFFFF0000};
        const QList<int> widths{2, 2, 1};
        const QList<bool> active{true, true, false};
        for (int s = 0; s < 3; ++s) {
            QCOMPARE(c->seriesTitle(s), titles[s]);
            QCOMPARE(c->seriesStyle(s).legendText, legends[s]);
            QCOMPARE(c->seriesColor(s).rgba(), colours[s]);
            QCOMPARE(c->seriesStyle(s).width, widths[s]);
            QCOMPARE(c->isSeriesActive(s), active[s]);
        }
        QCOMPARE(c->title(), QStringLiteral("Test"));
        QCOMPARE(c->axisMinimum(kd::chart::Axis::Left), 0.0);
        QCOMPARE(c->axisMaximum(kd::chart::Axis::Left), 100.0);
        QVERIFY(!c->isAxisAutomatic(kd::chart::Axis::Left));
        QCOMPARE(c->breakGapPixels(), 20);
        QVERIFY(!form_->ui->DateTimePicker1->isEnabled());
    }

    void checkBoxes() {
        form_->ui->CheckBox1->setChecked(true);
        QVERIFY(form_->ui->DateTimePicker1->isEnabled() && form_->ui->DateTimePicker2->isEnabled());
        form_->ui->CheckBox1->setChecked(false);
        QVERIFY(!form_->ui->DateTimePicker1->isEnabled());
        form_->ui->CheckBox2->setChecked(true);
        QCOMPARE(form_->ui->DBChart1->bottomDateFormat(), QStringLiteral("dd.MM.yy hh:mm"));
        form_->ui->CheckBox2->setChecked(false);
        QCOMPARE(form_->ui->DBChart1->bottomDateFormat(), QStringLiteral("dd.MM.yy"));
    }

    void displayLoadsTheSpan_data() {
        QTest::addColumn<bool>("span");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("points");
        QTest::newRow("one whole day") << true << QDate(2014, 3, 5) << QDate(2014, 3, 5) << 240;
        QTest::newRow("two days") << true << QDate(2014, 3, 5) << QDate(2014, 3, 6) << 480;
        QTest::newRow("whole table")
            << false << QDate(2014, 3, 5) << QDate(2014, 3, 5) << 10 * 240 + 121;
        QTest::newRow("first day after last: empty")
            << true << QDate(2014, 3, 6) << QDate(2014, 3, 5) << 0;
    }
    void displayLoadsTheSpan() {
        QFETCH(bool, span);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, points);
        const QString table = "00-1E-C0-4A-11-03";
        display(table, span, from, to);
        QCOMPARE(dm_->ZQuery1.sql(), kd::history::historySql(table, span, from, to));
        const kd::chart::Chart* c = form_->ui->DBChart1;
        for (int s = 0; s < 3; ++s)
            QCOMPARE(c->pointCount(s), points);
        if (points) {
            QCOMPARE(c->pointX(0, 0), kd::history::daysFromDate(span ? from : QDate(2014, 2, 28)));
            QCOMPARE(c->pointY(0, 0), dm_->ZQuery1.column(2)[0]);
        }
        QVERIFY(c->breaks().empty());
    }

    void gapScanOnTheQuery_data() {
        QTest::addColumn<Minutes>("minutes");
        QTest::addColumn<int>("breaks");
        QTest::addColumn<int>("gap");
        QTest::newRow("70 minutes: no break") << Minutes{600, 670} << 0 << 20;
        QTest::newRow("75 minutes: one break") << Minutes{600, 675} << 1 << 10;
        Minutes twoStops;
        for (int m = 0; m < 24 * 60; m += 6) {
            if (!(m > 600 && m < 690) && !(m > 900 && m < 1020))
                twoStops << m;
        }
        QTest::newRow("two stops: gap 20") << twoStops << 2 << 20;
        QTest::newRow("empty result: no break, no error") << Minutes{} << 0 << 20;
    }
    void gapScanOnTheQuery() {
        QFETCH(Minutes, minutes);
        QFETCH(int, breaks);
        QFETCH(int, gap);
        writeReadings(minutes);
        display("FF-FF-FF-FF-FF-FF", true, QDate(2014, 3, 1), QDate(2014, 3, 5));
        const auto found = form_->ui->DBChart1->breaks();
        QCOMPARE(int(found.size()), breaks);
        QCOMPARE(form_->ui->DBChart1->breakGapPixels(), gap);
        if (breaks == 1) {
            QCOMPARE(found[0].start,
                     kd::history::daysFromDateTime(QDateTime(QDate(2014, 3, 1), QTime(10, 0))));
            QCOMPARE(found[0].end,
                     kd::history::daysFromDateTime(QDateTime(QDate(2014, 3, 1), QTime(11, 15))));
        }
    }

    void failingDisplayKeepsFormerBreaks() {
        writeReadings({600, 700});
        display("FF-FF-FF-FF-FF-FF", false, {}, {});
        QCOMPARE(form_->ui->DBChart1->breaks().size(), std::size_t(1));
        QVERIFY_THROWS_EXCEPTION(kd::Error, display("no-such-table", false, {}, {}));
        QVERIFY(!dm_->ZQuery1.isOpen());
        QCOMPARE(form_->ui->DBChart1->breaks().size(), std::size_t(1));
    }

    void exportFollowsTheSwitchedOnSeries_data() {
        QTest::addColumn<QList<bool>>("active");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("default") << QList<bool>{true, true, false}
                                 << QStringList{"Humi. up", "Humi. down"};
        QTest::newRow("error on") << QList<bool>{true, true, true}
                                  << QStringList{"Humi. up", "Humi. down", "error"};
        QTest::newRow("Series1 off")
            << QList<bool>{false, true, false} << QStringList{"Humi. down"};
    }
    void exportFollowsTheSwitchedOnSeries() {
        QFETCH(QList<bool>, active);
        QFETCH(QStringList, titles);
        display("00-1E-C0-4A-11-01", true, QDate(2014, 3, 5), QDate(2014, 3, 5));
        for (int s = 0; s < 3; ++s)
            form_->ui->DBChart1->legendCheckBox(s)->setChecked(active[s]);
        const auto data = form_->plottedValues();
        QCOMPARE(data.x.size(), std::size_t(240));
        QCOMPARE(int(data.series.size()), titles.size());
        for (int k = 0; k < titles.size(); ++k) {
            QCOMPARE(data.series[k].title, titles[k]);
            const int s = form_->ui->DBChart1->seriesCount() == 3
                              ? QStringList{"Humi. up", "Humi. down", "error"}.indexOf(titles[k])
                              : -1;
            QCOMPARE(data.series[k].y.front(), form_->ui->DBChart1->pointY(s, 0));
        }
        const QString written = form_->exportTo(dir_.filePath("export.txt"));
        QCOMPARE(written, dir_.filePath("export.XLS"));
        QVERIFY(QFileInfo(written).size() > 4096);
    }

    void navigation() {
        form_->show();
        form_->ui->Image6->clicked();
        QVERIFY(selection_->isVisible());
        QVERIFY(!form_->isVisible());
        QVERIFY(!intro_->isVisible());  // the selection is visible: the start stays back
        selection_->hide();
        form_->show();
        form_->ui->Image5->clicked();
        QVERIFY(intro_->isVisible());
        QVERIFY(!form_->isVisible());
        intro_->hide();
        form_->show();
        form_->close();  // closing only hides; the start window comes forward
        QVERIFY(intro_->isVisible());
    }

    // The spreadsheet export and the chart file through their save dialogs:
    // the dialog's settings, the name written, and cancel writing nothing.
    void saveDialogs_data() {
        QTest::addColumn<bool>("spreadsheet");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("initialName");
        const QString xls = QStringLiteral("Excel files (*.xls)");
        const QString tee = QStringLiteral("Teefiles (*.tee)");
        QTest::newRow("export, no extension") << true << "year"
                                              << "year.xls" << xls << "xls"
                                              << "xxx.xls";
        QTest::newRow("export, .txt becomes .XLS") << true << "year.txt"
                                                   << "year.XLS" << xls << "xls"
                                                   << "xxx.xls";
        QTest::newRow("export, .Xls kept") << true << "year.Xls"
                                           << "year.Xls" << xls << "xls"
                                           << "xxx.xls";
        QTest::newRow("chart file, no extension") << false << "chart"
                                                  << "chart.tee" << tee << ""
                                                  << "";
        QTest::newRow("chart file, other extension kept") << false << "chart.dat"
                                                          << "chart.dat" << tee << ""
                                                          << "";
    }
    void saveDialogs() {
        QFETCH(bool, spreadsheet);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, filter);
        QFETCH(QString, suffix);
        QFETCH(QString, initialName);
        display("00-1E-C0-4A-11-01", true, QDate(2014, 3, 5), QDate(2014, 3, 5));
        form_->show();
        QTemporaryDir out;
        kd::PictureButton* button = spreadsheet ? form_->ui->Image1 : form_->ui->Image4;
        QString seenFilter, seenSuffix, seenName;
        onNextFileDialog([&](QFileDialog* dialog) {
            seenFilter = dialog->nameFilters().join(QLatin1Char('|'));
            seenSuffix = dialog->defaultSuffix();
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            seenName = edit->text();
            // Typed as the user would (selectFile() may change folders later).
            edit->setText(out.filePath(typed));
            QTRY_VERIFY(!dialog->selectedFiles().value(0).isEmpty() &&
                        QFileInfo(dialog->selectedFiles().value(0)).absolutePath() ==
                            QFileInfo(out.path()).absoluteFilePath());
            static_cast<QDialog*>(dialog)->accept();
        });
        emit button->clicked();
        QCOMPARE(seenFilter, filter);
        QCOMPARE(seenSuffix, suffix);
        QCOMPARE(seenName, initialName);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{written});
        QVERIFY(QFileInfo(out.filePath(written)).size() > 0);

        onNextFileDialog([](QFileDialog* dialog) { dialog->reject(); });
        emit button->clicked();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 1);
        QVERIFY(errors_.isEmpty());
    }
};

QTEST_MAIN(TestMainform)
#include "tst_mainform.moc"
