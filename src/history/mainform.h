#pragma once

#include "historyexport.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TMainform;
}

/// The history chart: top and bottom humidity and the error value of one
/// cabinet's measurement table over a span of days, with long stops cut out
/// of the time axis, and the export of the plotted values to a spreadsheet.
///
/// Display interface for the cabinet selection and the database
/// configuration, in this order: set CabinetTable, show the window, tick
/// ui->CheckBox1, set ui->DateTimePicker1/2, call Button2Click(), set the
/// title with ui->DBChart1->setTitle().
///
/// GUI thread. Database and file errors throw kd::Error out of the handlers;
/// the default error box shows them.
class TMainform : public QWidget {
    Q_OBJECT
public:
    explicit TMainform(QWidget* parent = nullptr);
    ~TMainform() override;

    /// The measurement table to chart: the chosen cabinet's mac text.
    QString CabinetTable;
    /// The designed controls, named as in the design.
    std::unique_ptr<Ui::TMainform> ui;

    /// Series indices in the chart, in design order.
    int Series1 = 0;
    int Series2 = 1;
    int Series6 = 2;

    /// "Anzeigen": builds the history SQL, reloads the history query, fills
    /// the three series from it and cuts the stops out of the time axis.
    void Button2Click();
    /// Replaces the bottom axis's breaks by one per stop of more than 0.05
    /// day in the history query's second column; the gap grows by 10 pixels
    /// per break (without breaks it stays as it was).
    void UpdateAxisBreaks();
    /// The spreadsheet export after the file dialog: writes the plotted values
    /// to `chosen` (extension rule of exportFileName). Returns the name written.
    QString exportTo(const QString& chosen) const;
    /// The chart's plotted values as the export writes them.
    kd::history::ExportData plottedValues() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void CheckBox1Click();
    void CheckBox2Click();
    void Button1Click();
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
};
