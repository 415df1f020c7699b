#include "yearoverview.h"

#include "ui_mainform.h"

#include "chart.h"
#include "errorbox.h"
#include "mainform.h"
#include "programwindows.h"

namespace kd::history {

namespace {
QString& programShortDateFormat() {
    static QString format;
    return format;
}

// Reads "dd.MM.yyyy" as day, month and year; throws the conversion error.
QDate parseDate(const QString& text) {
    const QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        throw kd::Error(QStringLiteral("'%1' ist kein gültiges Datum.").arg(text));
    return d;
}
}  // namespace

QString shortDateFormat() {
    return programShortDateFormat();
}

void setProgramDateFormats() {
    programShortDateFormat() = QStringLiteral("dd.MM.yy");
}

void runYearOverview(const QString& table, const QString& yearText, const QString& title,
                     QWidget* toHide) {
    auto* chart = qobject_cast<TMainform*>(kd::windows().Mainform);
    if (!chart)
        return;
    chart->CabinetTable = table;
    bool ok = false;
    yearText.toInt(&ok);
    if (!ok)
        throw kd::Error(QStringLiteral("'%1' ist kein gültiger Integerwert.").arg(yearText));
    kd::showWindow(chart);
    chart->ui->CheckBox1->setChecked(true);
    chart->ui->DateTimePicker1->setDate(parseDate(QStringLiteral("01.01.") + yearText));
    chart->ui->DateTimePicker2->setDate(parseDate(QStringLiteral("31.12.") + yearText));
    chart->Button2Click();
    chart->ui->DBChart1->setTitle(title);
    kd::hideWindow(toHide);
}

}  // namespace kd::history
