#pragma once

#include <QDate>
#include <QString>

namespace kd::history {

/// The logger's database file: "C:\KWB\kwb.db" on Windows, /var/lib/kwb/kwb.db
/// elsewhere. The environment variable KD7634_DATABASE, when set and not
/// empty, names another file (demo and tests).
QString databasePath();

/// An SQL identifier in double quotes; a double quote inside the name is
/// doubled, so any table name the logger chose reaches exactly that table.
QString quoteIdentifier(const QString& name);

/// The history query of one measurement table, one line:
/// `SELECT * FROM "<table>"  WHERE datetime < '<to+1>' AND datetime >= '<from>'
///  ORDER BY datetime ASC` (two blanks after the table name). Without a span
/// the WHERE part is left out and the whole table is read in time order.
/// Days are compared as "yyyy-MM-dd" text; the span holds whole days, from
/// the start of `from` to the end of `to`.
QString historySql(const QString& table, bool span, const QDate& from, const QDate& to);

/// The interval statement: "UPDATE Logger SET Intervall=<seconds> WHERE id = 1;".
QString intervalSql(int seconds);

/// The logger settings query, "SELECT * FROM Logger  WHERE id = 1;".
QString loggerSettingsSql();

}  // namespace kd::history
