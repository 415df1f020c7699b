// The data module on real SQLite files made by the test: opening rules,
// datasets, edits reaching the file, locks and the journal mode.
#include "datamodule1.h"
#include "datetimevalue.h"
#include "errorbox.h"
#include "historysql.h"
#include "logger.h"
#include "sqlitefile.h"
#include "tabledataset.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

class TestDataModule : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path_;
    QStringList errors_;

    void makeDatabase(int days = 3) {
        kd::sim::LoggerConfig c;
        c.path = path_;
        c.days = days;
        c.now = QDateTime(QDate(2014, 3, 10), QTime(12, 0));
        QString error;
        QVERIFY2(kd::sim::createSampleDatabase(c, &error), qPrintable(error));
    }

private slots:
    void init() {
        path_ = dir_.filePath(QStringLiteral("kwb-%1.db").arg(QTest::currentTestFunction()));
        QFile::remove(path_);
        qputenv("KD7634_DATABASE", path_.toUtf8());
        errors_.clear();
        kd::setErrorPresenter([this](const QString& e) { errors_ << e; });
    }

    void missingFileOpensNothingAndCreatesNothing() {
        TDataModule1 dm;
        QVERIFY(errors_.isEmpty());
        QVERIFY(!dm.isConnected());
        QVERIFY(!QFile::exists(path_));
        // Every later operation reports the data layer's error.
        QVERIFY_THROWS_EXCEPTION(kd::Error, dm.ZTable1->refresh());
        QVERIFY_THROWS_EXCEPTION(kd::Error, dm.ZQuery3.open());
        dm.ZQuery2.setSql(kd::history::intervalSql(600));
        QVERIFY_THROWS_EXCEPTION(kd::Error, dm.ZQuery2.execute());
        QVERIFY(!QFile::exists(path_));
    }

    void notADatabaseReportsOnceAndLeavesTheRestClosed() {
        QFile f(path_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        TDataModule1 dm;
        QCOMPARE(errors_.size(), 1);
        QVERIFY(!dm.ZTable1->isActive());
        QVERIFY(!dm.ZTable2->isActive());
        QVERIFY(!dm.ZQuery3.isOpen());
    }

    void opensTheThreeDatasets() {
        makeDatabase();
        TDataModule1 dm;
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(dm.ZTable1->rowCount(), 3);
        QCOMPARE(dm.ZTable2->rowCount(), 4);
        QCOMPARE(dm.ZQuery3.rowCount(), 1);
        QCOMPARE(dm.ZQuery3.text("Intervall"), QStringLiteral("360"));
        QCOMPARE(dm.DataSource2->currentRow(), 0);
        QCOMPARE(dm.DataSource2->value("alias").toString(), QStringLiteral("Labor"));
    }

    // The file is opened as a URI; characters that mean something in a URI
    // must still name the same file (and never a new one).
    void pathWithUriCharacters() {
        path_ = dir_.filePath(QStringLiteral("uri 100% #1?.db"));
        qputenv("KD7634_DATABASE", path_.toUtf8());
        makeDatabase(1);
        TDataModule1 dm;
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(dm.ZTable1->rowCount(), 3);
        QCOMPARE(QDir(dir_.path()).entryList({"uri*"}).size(), 1);
    }

    void historyQueryReadsTheSpanInTimeOrder() {
        makeDatabase(10);
        TDataModule1 dm;
        dm.ZQuery1.setSql(kd::history::historySql("00-1E-C0-4A-11-03", true, QDate(2014, 3, 5),
                                                  QDate(2014, 3, 5)));
        dm.ZQuery1.open();
        QCOMPARE(dm.ZQuery1.rowCount(), 240);  // one whole day at 360 s
        QCOMPARE(dm.ZQuery1.columnNames().value(1), QStringLiteral("datetime"));
        const auto x = dm.ZQuery1.column(1);
        QCOMPARE(x.front(), kd::history::daysFromDate(QDate(2014, 3, 5)));
        QVERIFY(std::is_sorted(x.begin(), x.end()));
        QCOMPARE(dm.ZQuery1.value("datetime").toDateTime(),
                 QDateTime(QDate(2014, 3, 5), QTime(0, 0)));
        dm.ZQuery1.moveBy(240);
        dm.ZQuery1.next();  // stays on the last row
        QCOMPARE(dm.ZQuery1.currentRow(), 239);
        QCOMPARE(dm.ZQuery1.text("datetime"), QStringLiteral("2014-03-05 23:54:00"));
    }

    // Guards the identifier quoting: a name holding a double quote must name
    // exactly that table and not end the identifier early.
    void tableNameWithQuote() {
        makeDatabase(1);
        {
            SqliteFile f(path_);
            QCOMPARE(
                f.exec("CREATE TABLE \"we\"\"ird\" (id INTEGER, datetime TEXT, humi_oben "
                       "REAL, humi_unten REAL, fehler INTEGER);"
                       "INSERT INTO \"we\"\"ird\" VALUES (1, '2014-03-01 10:00:00', 1, 2, 0);"),
                SQLITE_OK);
        }
        TDataModule1 dm;
        dm.ZQuery1.setSql(kd::history::historySql("we\"ird", false, {}, {}));
        dm.ZQuery1.open();
        QCOMPARE(dm.ZQuery1.rowCount(), 1);
    }

    void failingQueryThrowsAndStaysClosed() {
        makeDatabase(1);
        TDataModule1 dm;
        dm.ZQuery1.setSql(kd::history::historySql("no-such-table", false, {}, {}));
        QVERIFY_THROWS_EXCEPTION(kd::Error, dm.ZQuery1.open());
        QVERIFY(!dm.ZQuery1.isOpen());
        QCOMPARE(dm.ZQuery1.sql(), kd::history::historySql("no-such-table", false, {}, {}));
    }

    // The logger must never be kept waiting by a read: after every read the
    // writer gets its lock at once (busy timeout 0).
    void noReadLockAfterReads() {
        makeDatabase(30);
        TDataModule1 dm;
        dm.ZTable1->refresh();
        dm.ZTable2->refresh();
        dm.ZQuery1.setSql(kd::history::historySql("00-1E-C0-4A-11-01", false, {}, {}));
        dm.ZQuery1.open();
        SqliteFile logger(path_);
        logger.setBusyTimeout(0);
        QCOMPARE(logger.exec("BEGIN EXCLUSIVE; INSERT INTO Fehler (timestamp, ereigniss) "
                             "VALUES ('2014-03-10 12:00:00', 'x'); COMMIT;"),
                 SQLITE_OK);
    }

    void journalModeUntouched_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("delete") << "delete";
        QTest::newRow("wal") << "wal";
    }
    void journalModeUntouched() {
        QFETCH(QString, mode);
        makeDatabase(1);
        {
            SqliteFile f(path_);
            f.exec("PRAGMA journal_mode=" + mode);
        }
        {
            TDataModule1 dm;
            dm.ZQuery2.setSql(kd::history::intervalSql(600));
            dm.ZQuery2.execute();
        }
        SqliteFile f(path_);
        QCOMPARE(f.scalar("PRAGMA journal_mode"), mode);
        QCOMPARE(f.scalar("SELECT Intervall FROM Logger WHERE id = 1"), QStringLiteral("600"));
    }

    void editsReachTheFile_data() {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<int>("shownState");
        QTest::addColumn<QString>("newAlias");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("storedAktiv");
        QTest::addColumn<bool>("primaryKey");
        QTest::newRow("Wahr cleared")
            << "00-1E-C0-4A-11-01" << int(Qt::Checked) << "Labor 2" << false << "Falsch" << true;
        QTest::newRow("Falsch ticked")
            << "00-1E-C0-4A-11-02" << int(Qt::Unchecked) << "Lager Süd" << true << "Wahr" << true;
        QTest::newRow("NULL undetermined, ticked writes Wahr")
            << "00-1E-C0-4A-11-03" << int(Qt::PartiallyChecked) << "Prüffeld" << true << "Wahr"
            << true;
        // A logger's table need not have a key: rows are then found by all values.
        QTest::newRow("table without key, NULL flag")
            << "00-1E-C0-4A-11-03" << int(Qt::PartiallyChecked) << "Prüffeld 2" << true << "Wahr"
            << false;
        QTest::newRow("table without key")
            << "00-1E-C0-4A-11-01" << int(Qt::Checked) << "L" << false << "Falsch" << false;
    }
    void editsReachTheFile() {
        QFETCH(QString, mac);
        QFETCH(int, shownState);
        QFETCH(QString, newAlias);
        QFETCH(bool, tick);
        QFETCH(QString, storedAktiv);
        QFETCH(bool, primaryKey);
        makeDatabase(1);
        if (!primaryKey) {
            SqliteFile f(path_);
            QCOMPARE(f.exec("ALTER TABLE Schraenke RENAME TO s_old;"
                            "CREATE TABLE Schraenke (mac TEXT, alias TEXT, Aktiv TEXT);"
                            "INSERT INTO Schraenke SELECT * FROM s_old; DROP TABLE s_old;"),
                     SQLITE_OK);
        }
        TDataModule1 dm;
        QLineEdit alias;
        QLabel macText;
        QCheckBox aktiv;
        auto* src = dm.DataSource2;
        src->mapper()->addMapping(&alias, dm.ZTable1->fieldIndex("alias"));
        src->mapper()->addMapping(&macText, dm.ZTable1->fieldIndex("mac"), "text");
        src->mapper()->addMapping(&aktiv, dm.ZTable1->fieldIndex("Aktiv"));
        QVERIFY(src->locate("mac", mac));
        QCOMPARE(macText.text(), mac);
        QCOMPARE(int(aktiv.checkState()), shownState);
        src->edit();
        alias.setText(newAlias);
        if (tick)
            aktiv.setCheckState(Qt::Checked);
        else
            aktiv.setCheckState(Qt::Unchecked);
        src->post();
        QVERIFY(!src->isEditing());
        SqliteFile f(path_);
        QCOMPARE(f.scalar("SELECT alias FROM Schraenke WHERE mac = '" + mac + "'"), newAlias);
        QCOMPARE(f.scalar("SELECT Aktiv FROM Schraenke WHERE mac = '" + mac + "'"), storedAktiv);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Schraenke"), QStringLiteral("3"));
        QCOMPARE(src->value("mac").toString(), mac);  // still on the same row
    }

    void pendingEditPostedWhenAnotherRowIsChosen() {
        makeDatabase(1);
        TDataModule1 dm;
        QLineEdit alias;
        dm.DataSource2->mapper()->addMapping(&alias, dm.ZTable1->fieldIndex("alias"));
        dm.DataSource2->setCurrentRow(0);
        dm.DataSource2->edit();
        alias.setText("Labor neu");
        QVERIFY(dm.DataSource2->locate("alias", "Lager"));
        QCOMPARE(alias.text(), QStringLiteral("Lager"));
        SqliteFile f(path_);
        QCOMPARE(f.scalar("SELECT alias FROM Schraenke WHERE mac = '00-1E-C0-4A-11-01'"),
                 QStringLiteral("Labor neu"));
    }

    void cancelDropsTheEdit() {
        makeDatabase(1);
        TDataModule1 dm;
        QLineEdit alias;
        dm.DataSource2->mapper()->addMapping(&alias, dm.ZTable1->fieldIndex("alias"));
        dm.DataSource2->edit();
        alias.setText("weg");
        dm.DataSource2->cancel();
        QCOMPARE(alias.text(), QStringLiteral("Labor"));
        dm.DataSource2->refresh();
        SqliteFile f(path_);
        QCOMPARE(f.scalar("SELECT alias FROM Schraenke WHERE mac = '00-1E-C0-4A-11-01'"),
                 QStringLiteral("Labor"));
    }

    // Nothing the user posted is lost: a post that meets a lock held longer
    // than the busy timeout fails with a clear error, stays in editing and
    // succeeds once the lock is gone.
    void postAgainstALockedFile() {
        makeDatabase(1);
        TDataModule1 dm;
        QLineEdit alias;
        dm.DataSource2->mapper()->addMapping(&alias, dm.ZTable1->fieldIndex("alias"));
        dm.DataSource2->edit();
        alias.setText("gesperrt");
        SqliteFile logger(path_);
        QCOMPARE(logger.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
        try {
            dm.DataSource2->post();
            QFAIL("post succeeded against an exclusive lock");
        } catch (const kd::Error& e) {
            QVERIFY2(e.message().contains("locked"), qPrintable(e.message()));
        }
        QVERIFY(dm.DataSource2->isEditing());
        QCOMPARE(logger.exec("COMMIT"), SQLITE_OK);
        dm.DataSource2->post();
        QVERIFY(!dm.DataSource2->isEditing());
        QCOMPARE(logger.scalar("SELECT alias FROM Schraenke WHERE mac = '00-1E-C0-4A-11-01'"),
                 QStringLiteral("gesperrt"));
    }

    void refreshKeepsTheRowByKeyOrGoesToTheFirst() {
        makeDatabase(1);
        TDataModule1 dm;
        QVERIFY(dm.DataSource2->locate("alias", "Prüffeld"));
        SqliteFile f(path_);
        f.exec("DELETE FROM Schraenke WHERE mac = '00-1E-C0-4A-11-01'");
        dm.DataSource2->refresh();
        QCOMPARE(dm.DataSource2->value("alias").toString(), QStringLiteral("Prüffeld"));
        f.exec("DELETE FROM Schraenke WHERE mac = '00-1E-C0-4A-11-03'");
        dm.DataSource2->refresh();
        QCOMPARE(dm.DataSource2->currentRow(), 0);
        QCOMPARE(dm.DataSource2->value("alias").toString(), QStringLiteral("Lager"));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
