#include "historyexport.h"

#include "datetimevalue.h"

#include <algorithm>
#include <cmath>

namespace kd::history {

xls::Workbook exportWorkbook(const ExportData& data) {
    xls::Workbook book;
    const auto n = static_cast<std::ptrdiff_t>(data.x.size());
    std::ptrdiff_t first = 0;
    do {
        xls::Sheet& sheet = book.addSheet(QStringLiteral("Tabelle%1").arg(book.sheetCount() + 1));
        const std::ptrdiff_t last = std::min<std::ptrdiff_t>(n, first + kPointsPerSheet);
        sheet.setText(0, 0, QStringLiteral("Zeit"));
        sheet.setText(0, 1, QStringLiteral("Zeit"));
        for (std::ptrdiff_t i = first; i < last; ++i) {
            const int row = static_cast<int>(i - first) + 1;
            sheet.setNumber(row, 0, data.x[static_cast<std::size_t>(i)]);
            sheet.setText(row, 1, exportTimeText(data.x[static_cast<std::size_t>(i)]));
        }
        for (std::size_t k = 0; k < data.series.size() && k + 2 < xls::kMaxColumns; ++k) {
            const ExportSeries& s = data.series[k];
            const int column = static_cast<int>(k) + 2;
            sheet.setColumnWidth(column, 20);
            sheet.setText(0, column, s.title);
            const std::ptrdiff_t have =
                std::min<std::ptrdiff_t>(last, static_cast<std::ptrdiff_t>(s.y.size()));
            for (std::ptrdiff_t i = first; i < have; ++i) {
                // A reading without a value is a hole in the chart and an
                // empty cell here: a NaN number cell is no valid sheet value.
                const double y = s.y[static_cast<std::size_t>(i)];
                if (std::isfinite(y))
                    sheet.setNumber(static_cast<int>(i - first) + 1, column, y);
            }
        }
        sheet.setColumnWidth(0, 20);
        sheet.setColumnWidth(1, 20);
        sheet.setProtected(true);
        first = last;
    } while (first < n);
    return book;
}

QString exportFileName(const QString& chosen) {
    const qsizetype slash =
        std::max(chosen.lastIndexOf(QLatin1Char('/')), chosen.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = chosen.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) {
        if (chosen.mid(dot).compare(QLatin1String(".xls"), Qt::CaseInsensitive) == 0)
            return chosen;
        return chosen.left(dot) + QStringLiteral(".XLS");
    }
    return chosen + QStringLiteral(".XLS");
}

}  // namespace kd::history
