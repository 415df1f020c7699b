#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace kd::history {

/// Date-time values are real days since 30 December 1899 with the time of
/// day as the fraction (the x values of every chart and the first column of
/// the spreadsheet export).

/// Parses text that begins with "yyyy-MM-dd" and optionally continues with
/// " hh:mm" or " hh:mm:ss" (a "T" separator is accepted, fractions of a second
/// too). Nothing when the text is not such a date.
std::optional<double> daysFromText(QStringView text);
/// The same on UTF-8 bytes as SQLite hands them out, without a QString.
std::optional<double> daysFromUtf8(const char* text, int length);

double daysFromDateTime(const QDateTime& value);
double daysFromDate(const QDate& value);
/// Local date and time of a date-time value, rounded to the millisecond.
QDateTime dateTimeFromDays(double days);

/// "dd.MM.yy hh:mm" of a date-time value (the export's text column).
QString exportTimeText(double days);

}  // namespace kd::history
