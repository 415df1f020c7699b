#pragma once

#include "querydataset.h"

#include <QObject>
#include <QString>

namespace kd::history {
class RecordSource;
class TableDataset;
}  // namespace kd::history

/// The statement dataset: one line of SQL, executed without result rows.
class Statement {
public:
    explicit Statement(QString connectionName) : connection_(std::move(connectionName)) {}
    void setSql(const QString& sql) { sql_ = sql; }
    const QString& sql() const { return sql_; }
    /// Runs the statement. Throws kd::Error with the data layer's message
    /// when the database is closed or the statement fails.
    void execute();

private:
    QString connection_;
    QString sql_;
};

/// The data module: the one connection to the outside logger's database and
/// its datasets. Created once at start-up (its constructor is the creation
/// handler) and alive for the whole run; every window reaches it through
/// kd::windows().DataModule1.
///
/// Opening: when the database file exists, the connection opens it read-write
/// (never creating it), with a busy timeout of kBusyTimeoutMs so a statement
/// that meets the logger's short write lock waits instead of failing; then
/// ZTable1 (Schraenke), ZTable2 (Fehler) and ZQuery3 (the logger settings
/// row) are opened in that order. A missing file opens nothing and says
/// nothing; an error while opening is shown in the default error box and
/// leaves the rest closed. Operations on closed datasets throw kd::Error.
/// The journal mode and the schema are never touched. GUI thread only.
class QComboBox;

class TDataModule1 : public QObject {
    Q_OBJECT
    // First, so the datasets below can be built on it.
    QString connectionName_;
    QString path_;

public:
    /// Milliseconds a statement waits for the logger's lock.
    static constexpr int kBusyTimeoutMs = 2000;

    explicit TDataModule1(QObject* parent = nullptr);
    ~TDataModule1() override;

    /// The program's data module (created once at start-up); nullptr before
    /// that and in tests that make none.
    static TDataModule1* instance();

    /// Fills a lookup box with the alias of every cabinet row, in table order,
    /// each item carrying the row's `mac` as its data. Empty when the cabinet
    /// list is closed.
    void fillCabinetList(QComboBox* box) const;

    /// Name of the QSqlDatabase connection (unique per instance).
    const QString& connectionName() const { return connectionName_; }
    bool isConnected() const;
    QString databasePath() const { return path_; }

    kd::history::TableDataset* ZTable1 = nullptr;      ///< "Schraenke", the cabinet list
    kd::history::TableDataset* ZTable2 = nullptr;      ///< "Fehler", the error list
    kd::history::RecordSource* DataSource2 = nullptr;  ///< current cabinet, shared
    kd::history::QueryDataset ZQuery1;                 ///< the history query
    kd::history::QueryDataset ZQuery3;                 ///< "SELECT * FROM Logger  WHERE id = 1;"
    Statement ZQuery2;                                 ///< the interval statement

private:
    void DataModuleCreate();
};
