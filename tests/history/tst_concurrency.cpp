// The program and the outside logger on one database file: while the sample
// logger (kd7634-sim --logger, a second process) appends readings every few
// milliseconds, displays, alias edits, error-list rows and interval updates
// succeed or fail with a clear error and succeed on retry; nothing the user
// posted is lost, and every reading the logger took reached the file.
#include "chart.h"
#include "datamodule1.h"
#include "errorbox.h"
#include "errorgrid.h"
#include "logger.h"
#include "mainform.h"
#include "programwindows.h"
#include "sqlitefile.h"
#include "tabledataset.h"
#include "tabverwaltungform.h"
#include "tabwahlform.h"
#include "ui_mainform.h"
#include "ui_tabverwaltungform.h"

#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QStringList kTables{"00-1E-C0-4A-11-01", "00-1E-C0-4A-11-02", "00-1E-C0-4A-11-03"};

qint64 readings(SqliteFile& f) {
    qint64 n = 0;
    for (const QString& t : kTables)
        n += f.scalar("SELECT COUNT(*) FROM \"" + t + "\"").toLongLong();
    return n;
}
}  // namespace

class TestConcurrency : public QObject {
    Q_OBJECT

private slots:
    void userWorkWhileTheLoggerWrites() {
        QTemporaryDir dir;
        const QString path = dir.filePath("kwb.db");
        kd::sim::LoggerConfig c;
        c.path = path;
        c.days = 60;
        QString error;
        QVERIFY2(kd::sim::createSampleDatabase(c, &error), qPrintable(error));
        SqliteFile file(path);
        const qint64 before = readings(file);

        QProcess logger;
        logger.start(QStringLiteral(KD_SIM_PATH),
                     {"--no-usb", "--logger", path, "--period-ms", "5"});
        QVERIFY(logger.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readings(file) > before + 30, 10000);

        QStringList errors;
        kd::setErrorPresenter([&errors](const QString& e) { errors << e; });
        qputenv("KD7634_DATABASE", path.toUtf8());
        kd::windows() = {};
        QWidget intro;
        kd::windows().Introform = &intro;
        TDataModule1 dm;
        kd::windows().DataModule1 = &dm;
        TMainform chart;
        kd::windows().Mainform = &chart;
        Ttabwahlform selection;
        kd::windows().tabwahlform = &selection;
        TTabverwaltungForm config;
        kd::windows().TabverwaltungForm = &config;
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        config.show();

        // Retries an action that failed with a clear error; counts the failures.
        int failures = 0;
        auto untilDone = [&](const std::function<void()>& action) {
            for (int attempt = 0; attempt < 20; ++attempt) {
                try {
                    action();
                    return true;
                } catch (const kd::Error& e) {
                    ++failures;
                    if (!e.message().contains("locked") && !e.message().contains("busy"))
                        qWarning() << "unclear error:" << e.message();
                }
            }
            return false;
        };

        qint64 shown = 0;
        auto* grid = config.ui->DBGrid1;
        auto* errorsTable = dm.ZTable2;
        const int text = errorsTable->fieldIndex("ereigniss");
        for (int i = 0; i < 25; ++i) {
            QVERIFY(untilDone([&] {
                chart.CabinetTable = kTables[i % 3];
                chart.ui->CheckBox1->setChecked(false);
                chart.Button2Click();
            }));
            QVERIFY(chart.ui->DBChart1->pointCount(0) > 0);
            if (i % 3 == 0) {
                QVERIFY(chart.ui->DBChart1->pointCount(0) >= shown);  // the table only grows
                shown = chart.ui->DBChart1->pointCount(0);
            }

            config.chooseCabinet(i % 3);
            config.ui->DBEdit1->setText(QString("Schrank %1").arg(i));
            dm.DataSource2->edit();
            QVERIFY(untilDone([&] { dm.DataSource2->post(); }));

            config.ui->SpinEdit1->setValue(600 + i);
            QVERIFY(untilDone([&] { config.Button1Click(); }));

            grid->setCurrentIndex(errorsTable->index(0, text));
            grid->insertRowHere(true);
            errorsTable->setData(errorsTable->index(errorsTable->rowCount() - 1, text),
                                 QString("Ereignis %1").arg(i));
            QVERIFY(untilDone([&] { grid->postCurrentRow(); }));
        }
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));

        logger.terminate();
        QVERIFY(logger.waitForFinished(10000));
        const QString report = QString::fromUtf8(logger.readAllStandardError());
        const auto m =
            QRegularExpression("logger wrote (\\d+) readings, (\\d+) waiting").match(report);
        QVERIFY2(m.hasMatch(), qPrintable(report));
        QCOMPARE(m.captured(2).toInt(), 0);
        // Every reading the logger took is in the file.
        QCOMPARE(readings(file) - before, m.captured(1).toLongLong());

        // Everything the user posted is in the file.
        for (int i = 22; i < 25; ++i)
            QCOMPARE(
                file.scalar("SELECT alias FROM Schraenke WHERE mac = '" + kTables[i % 3] + "'"),
                QString("Schrank %1").arg(i));
        QCOMPARE(file.scalar("SELECT Intervall FROM Logger WHERE id = 1"), QStringLiteral("624"));
        QCOMPARE(file.scalar("SELECT COUNT(*) FROM Fehler WHERE ereigniss LIKE 'Ereignis %'"),
                 QStringLiteral("25"));
        qInfo() << "retried after a lock:" << failures << "of" << 25 * 4 << "actions";
        kd::windows() = {};
    }
};

QTEST_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
