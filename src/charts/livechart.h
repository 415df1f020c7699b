#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace kd::chart {
class Chart;
}

namespace kd::livechart {

/// Which of the two live chart windows a chart belongs to; their series
/// titles and the door series' colour differ.
enum class Window { Graph, Intern };

inline constexpr int kSeriesCount = 18;

/// Gives an empty chart the live charts' look and axes, the legend at
/// (639, 40), and the 18 series in index order (the order the cabinet
/// console's reply decoder feeds them in).
void setupChart(chart::Chart& chart, Window window);

/// The window's title of series `index` (0..17).
QString seriesTitle(Window window, int index);

/// Left axis minimum 0, then maximum `maximum` (each may be refused).
void presetLeftAxis(chart::Chart& chart, double maximum);

/// Both axes fit the data present now and then hold that range.
void autosize(chart::Chart& chart);

/// The legend's left edge for a chart width.
inline int legendLeftFor(int chartWidth) {
    return chartWidth - 185;
}

/// The cabinet number of the two service spin edits: the first's decimal
/// text followed by the second's with at least two digits, read back.
qint32 cabinetNumber(int hundreds, int remainder);

/// "KWB Save": the save dialog with the filter "Teefiles (*.tee)"; on OK the
/// chart with all points goes to the chosen name (".tee" added when it has
/// no extension). Cancel does nothing. A write failure throws kd::Error.
void saveWithDialog(chart::Chart& chart, QWidget* parent);

/// "KWB Mail": saves the chart into a new temporary file and mails it to the
/// help desk; a failure beeps and shows the failure box.
void mailToHelpdesk(chart::Chart& chart, QWidget* parent);

}  // namespace kd::livechart
