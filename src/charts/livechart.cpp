#include "livechart.h"

#include "cabinetcommands.h"
#include "chart.h"
#include "errorbox.h"
#include "helpdeskmail.h"
#include "programwindows.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <stdexcept>

namespace kd::livechart {

namespace {
using chart::PenStyle;
using chart::SeriesKind;

struct SeriesRow {
    SeriesKind kind;
    const char* graphTitle;
    const char* internTitle;
    bool dateTimeX;
    quint32 color;  // 0: palette
    PenStyle pen;
};

constexpr quint32 kNavy = 0xFF000080;
constexpr quint32 kRed = 0xFFFF0000;
constexpr quint32 kAqua = 0xFF00FFFF;
constexpr quint32 kLightAqua = 0xFF80FFFF;
constexpr quint32 kGrey = 0xFF808080;

const SeriesRow kSeries[kSeriesCount] = {
    {SeriesKind::Line, "Netzfq.", "Netzfq.", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Temp P. up", "Temp P. up", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Temp P. down", "Temp P. down", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Temp. down", "T down", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Humi. down", "H down", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Temp. up", "T up", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Humi. up", "H up", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Norminal Speed", "Nominal speed", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Actual Speed", "Actual speed", false, kNavy, PenStyle::Solid},
    {SeriesKind::Line, "TMR3", "TMR3", false, 0, PenStyle::Solid},
    {SeriesKind::FastLine, "error", "error", false, kRed, PenStyle::Solid},
    {SeriesKind::Line, "prog", "prog", false, kAqua, PenStyle::Dash},
    {SeriesKind::Line, "passage", "passage", false, kLightAqua, PenStyle::Dot},
    {SeriesKind::Line, "ok_timer", "ok_timer", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "tet", "tet", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "state", "status", true, 0, PenStyle::Solid},
    {SeriesKind::Area, "door", "door", true, 0, PenStyle::Solid},
    {SeriesKind::Line, "Inttimer", "Inttimer", true, 0, PenStyle::Solid},
};
constexpr int kDoorSeries = 16;
}  // namespace

QString seriesTitle(Window window, int index) {
    if (index < 0 || index >= kSeriesCount)
        return {};
    const SeriesRow& r = kSeries[index];
    return QString::fromUtf8(window == Window::Graph ? r.graphTitle : r.internTitle);
}

void setupChart(chart::Chart& c, Window window) {
    chart::ChartLook look;  // the defaults are the live charts' look
    c.setLook(look);
    c.setTitle(QString());
    c.setLegendPosition(QPoint(639, 40));
    c.setLegendVisible(true);
    c.setAxisMinimum(chart::Axis::Left, 0);
    c.setAxisMaximum(chart::Axis::Left, 300);
    c.setAxisAutomatic(chart::Axis::Bottom, true);
    c.setBottomMinimumStep(1.1574074074074e-05);
    c.setBottomDateFormat(QString());
    for (int i = 0; i < kSeriesCount; ++i) {
        const SeriesRow& r = kSeries[i];
        chart::SeriesStyle s;
        s.title = seriesTitle(window, i);
        s.kind = r.kind;
        s.dateTimeX = r.dateTimeX;
        s.pen = r.pen;
        quint32 color = r.color;
        if (i == kDoorSeries && window == Window::Graph)
            color = kGrey;
        s.paletteColor = color == 0;
        if (color != 0)
            s.color = color;
        c.addSeries(s);
    }
}

void presetLeftAxis(chart::Chart& c, double maximum) {
    c.setAxisMinimum(chart::Axis::Left, 0);
    c.setAxisMaximum(chart::Axis::Left, maximum);
}

void autosize(chart::Chart& c) {
    c.setAxisAutomatic(chart::Axis::Bottom, true);
    c.setAxisAutomatic(chart::Axis::Left, true);
    c.repaintNow();
    c.setAxisAutomatic(chart::Axis::Bottom, false);
    c.setAxisAutomatic(chart::Axis::Left, false);
}

qint32 cabinetNumber(int hundreds, int remainder) {
    const QString text = QString::number(hundreds) + QString::asprintf("%.2d", remainder);
    bool ok = false;
    const qint32 number = text.toInt(&ok);
    if (!ok)
        throw kd::Error(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return number;
}

void saveWithDialog(chart::Chart& c, QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Teefiles (*.tee)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    c.saveToFile(dialog.selectedFiles().constFirst());
}

void mailToHelpdesk(chart::Chart& c, QWidget* parent) {
    QString fileName;
    try {
        fileName = mail::MakeTempFileName();
    } catch (const std::runtime_error& e) {
        throw kd::Error(QString::fromUtf8(e.what()));
    }
    c.saveToFile(fileName);
    const CabinetCommands* cabinet = kd::windows().cabinet;
    const QString body = mail::mailBody(cabinet ? cabinet->cabinetNumberCaption() : QString());
    const QString error = mail::SendFileByMail(fileName, QString::fromUtf8(mail::kSubject), body,
                                               QString::fromUtf8(mail::kHelpdeskAddress),
                                               QString::fromUtf8(mail::kHelpdeskName));
    if (error.isEmpty())
        return;
    QApplication::beep();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), mail::failureMessage(error),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MailFailureBox"));
    box.exec();
}

}  // namespace kd::livechart
