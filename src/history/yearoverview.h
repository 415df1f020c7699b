#pragma once

#include <QString>

class QWidget;

namespace kd::history {

/// The program-wide short date format: empty until the first year overview
/// sets "dd.MM.yy" (with "." as separator); it then governs the date-time
/// texts of the error grid for the rest of the run.
QString shortDateFormat();

/// Step 1 of the year overview: sets the program-wide date formats.
void setProgramDateFormats();

/// The year overview shared by the cabinet selection and the database
/// configuration, steps 4 to 11 after the caller's "is a cabinet chosen"
/// test: sets the history chart's table, checks the year text (throws
/// kd::Error with the conversion error before showing anything when it is
/// not an integer), shows the chart, ticks its span box, sets 1 January and
/// 31 December of the year (throws after the show when they are no valid
/// dates, e.g. year 0000), runs the display, sets the title and hides
/// `toHide`. GUI thread.
void runYearOverview(const QString& table, const QString& yearText, const QString& title,
                     QWidget* toHide);

}  // namespace kd::history
