#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTimer;
struct sqlite3;

namespace kd::sim {

/// Settings of the sample logger: the outside program that records the
/// readings of every cabinet into the SQLite measurement database.
struct LoggerConfig {
    QString path;               ///< the database file
    bool create = false;        ///< make a new database even when the file exists
    int days = 400;             ///< days of history a new database gets (ending now)
    int fillStepSeconds = 360;  ///< interval of the history readings
    /// Append period for a running logger in milliseconds; 0 follows the
    /// interval stored in the logger settings row, as the real logger does.
    int periodMs = 0;
    QDateTime now;        ///< end of the history; invalid: the current time
    quint32 seed = 7634;  ///< makes the history repeatable
    int cabinets = 3;     ///< how many of sampleCabinets() a new database gets (1 to 3)
};

/// One cabinet of the sample database.
struct SampleCabinet {
    QString mac;
    QString alias;
    QString aktiv;  ///< "Wahr", "Falsch" or a null string for NULL
};

/// The cabinets a new sample database holds: "Labor" (active; a week of
/// outage and a few short stops), "Lager" (inactive; switched off every night
/// from 22:00 to 06:00) and "Prüffeld" (active flag NULL; never stops).
QList<SampleCabinet> sampleCabinets();

/// Creates the sample database with the tables Schraenke (mac, alias, Aktiv),
/// Fehler (timestamp, ereigniss), Logger (id, Intervall: row 1 with 360) and
/// one measurement table per cabinet named by its MAC text (id, datetime
/// "yyyy-MM-dd hh:mm:ss" as the second column, humi_oben, humi_unten,
/// temp_oben, temp_unten, fehler), filled with `days` days of readings at
/// `fillStepSeconds`. An existing file is replaced. One transaction and one
/// prepared statement per table. Returns false with the reason in `error`.
bool createSampleDatabase(const LoggerConfig& config, QString* error);

/// A running logger: appends one reading per cabinet of Schraenke at every
/// tick, waiting the interval of the logger settings row (re-read at every
/// tick) or the configured period. A reading that finds the file locked
/// beyond the busy timeout is kept and written at the next tick, so none is
/// lost. Lives on the thread that created it; works from its event loop.
class Logger : public QObject {
    Q_OBJECT
public:
    explicit Logger(LoggerConfig config, QObject* parent = nullptr);
    ~Logger() override;

    /// Opens the database (creating it first when asked or when missing) and
    /// starts the ticks. False with the reason in `error` on failure.
    bool start(QString* error);
    /// Appends the readings of one tick now. Returns the rows written.
    int tick();

    qint64 rowsWritten() const { return rowsWritten_; }
    /// Readings not yet written because the file stayed locked.
    int pendingCount() const { return int(pending_.size()); }
    int currentIntervalSeconds() const { return intervalSeconds_; }

signals:
    /// One tick wrote `rows` readings (0 when the file stayed locked).
    void appended(int rows);

private:
    void schedule();
    int readInterval();

    LoggerConfig config_;
    sqlite3* db_ = nullptr;
    QTimer* timer_ = nullptr;
    int intervalSeconds_ = 360;
    qint64 rowsWritten_ = 0;
    struct Pending {
        QString table;
        QString datetime;
        double oben, unten;
        int fehler;
    };
    QList<Pending> pending_;
};

/// Adds --logger <db>, --create, --years, --days, --fill-step and --period-ms.
void addLoggerOptions(QCommandLineParser& parser);
/// True when the command line asks for the logger mode.
bool loggerRequested(const QCommandLineParser& parser);
/// Starts the logger mode from the command line (owned by `parent`). False
/// with the reason in `error` when the options are bad or the start failed.
bool startLoggerSide(const QCommandLineParser& parser, QObject* parent, QString* error);

}  // namespace kd::sim
