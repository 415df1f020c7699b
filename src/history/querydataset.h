#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <span>
#include <unordered_map>
#include <vector>

namespace kd::history {

/// A query dataset: runs one SELECT on the shared connection and holds every
/// result row in memory, in result order, with a current row. The statement
/// is stepped to its end and finalized inside open(), so no read lock outlives
/// the call and the outside logger is never kept waiting by us.
///
/// Values: numbers stay numbers; text of the form "yyyy-MM-dd[ hh:mm[:ss]]"
/// is delivered as a date-time (days since 30 December 1899); other text as
/// text. Columns are stored column by column, 8 bytes per numeric cell.
///
/// GUI thread. Failures throw kd::Error with the data layer's message.
class QueryDataset {
public:
    /// `connectionName` names the QSqlDatabase connection it runs on.
    explicit QueryDataset(QString connectionName);

    void close();
    bool isOpen() const { return open_; }
    /// Replaces the SQL text by one line.
    void setSql(const QString& sql) { sql_ = sql; }
    const QString& sql() const { return sql_; }
    /// Runs the SQL and loads every row; the current row is the first.
    /// Throws kd::Error (dataset left closed) when the database is closed or
    /// the statement fails.
    void open();

    int rowCount() const { return rows_; }
    int columnCount() const { return int(columns_.size()); }
    /// Moves to row `number` counted from 1; numbers below 1 mean the first.
    void moveBy(int number);
    /// Moves to the next row; at the last row it stays there.
    void next();
    int currentRow() const { return current_; }

    /// The current row's value of column `position` (from 0) as a number;
    /// date-times as days; NaN for text and NULL. Throws kd::Error when the
    /// dataset is closed or empty or the column does not exist.
    double asDouble(int position) const;
    /// The current row's value of the named column (case-insensitive):
    /// numbers as double or qlonglong, date-times as QDateTime, text as
    /// QString, NULL as a null QVariant. Throws kd::Error as asDouble().
    QVariant value(const QString& column) const;
    /// The current row's value as text, as it was stored.
    QString text(const QString& column) const;

    /// A whole column as numbers (date-times as days), for the chart.
    std::span<const double> column(int position) const;
    int columnIndex(const QString& name) const;
    const QStringList& columnNames() const { return names_; }

private:
    enum CellKind : unsigned char { Null, Integer, Real, DateTime, Text };
    struct Column {
        std::vector<double> numbers;
        std::vector<unsigned char> kinds;
        std::unordered_map<int, QString> texts;  // row -> text, for cells of kind Text only
    };
    void checkRow(int position) const;

    QString connection_;
    QString sql_;
    bool open_ = false;
    int rows_ = 0;
    int current_ = 0;
    QStringList names_;
    std::vector<Column> columns_;
};

}  // namespace kd::history
