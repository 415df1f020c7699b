#pragma once

#include "xlswriter.h"

#include <QString>

#include <vector>

namespace kd::history {

/// One switched-on chart series as the export writes it: its title heads the
/// column, its y values fill it.
struct ExportSeries {
    QString title;
    std::vector<double> y;
};

/// The chart's plotted values: the x values (date-time days) of the first
/// series, and the switched-on series in chart order.
struct ExportData {
    std::vector<double> x;
    std::vector<ExportSeries> series;
};

/// Points per sheet: the sheet holds 65,535 rows, the header and 65,534 points.
inline constexpr int kPointsPerSheet = 65534;

/// The spreadsheet of the plotted values: row 1 "Zeit", "Zeit", the series
/// titles; then per point the x value as number, the same as text
/// "dd.MM.yy hh:mm", and each series' y value as number (an empty cell for a
/// value that is not a number, a hole in the chart). Columns A, B and the
/// series columns are 20 characters wide; every sheet is protected without
/// password. More points than one sheet holds continue on further sheets
/// ("Tabelle2", ...), each with the header row, so no point is dropped.
/// Pure; any thread.
xls::Workbook exportWorkbook(const ExportData& data);

/// The file name the export writes: the chosen name when its extension is
/// ".xls" in any letter case, otherwise the name with its extension replaced
/// by (or, without one, extended by) ".XLS".
QString exportFileName(const QString& chosen);

}  // namespace kd::history
