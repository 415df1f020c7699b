#include "internform.h"

#include "cabinetcommands.h"
#include "chart.h"
#include "errorbox.h"
#include "livechart.h"
#include "programwindows.h"
#include "ui_internform.h"

#include <QShowEvent>

#include <algorithm>

using kd::chart::Axis;

TInternForm::TInternForm(QWidget* parent) : QWidget(parent), ui(new Ui::TInternForm) {
    kd::runGuarded([&] {
        ui->setupUi(this);
        setWindowFlag(Qt::Window);
        kd::livechart::setupChart(*ui->Chart1, kd::livechart::Window::Intern);
        connect(ui->Button1, &QPushButton::clicked, this, &TInternForm::Button1Click);
        connect(ui->Button2, &QPushButton::clicked, this, &TInternForm::Button2Click);
        connect(ui->Button3, &QPushButton::clicked, this, &TInternForm::Button3Click);
        connect(ui->Button4, &QPushButton::clicked, this, &TInternForm::Button4Click);
        connect(ui->Button5, &QPushButton::clicked, this, &TInternForm::Button5Click);
        connect(ui->Button6, &QPushButton::clicked, this, &TInternForm::Button6Click);
        connect(ui->Button7, &QPushButton::clicked, this, &TInternForm::Button7Click);
        connect(ui->Button8, &QPushButton::clicked, this, &TInternForm::Button8Click);
        connect(ui->Button9, &QPushButton::clicked, this, &TInternForm::Button9Click);
        connect(ui->Button15, &QPushButton::clicked, this, &TInternForm::Button15Click);
        connect(ui->CheckBoxLegend, &QCheckBox::clicked, this, &TInternForm::CheckBoxLegendClick);
        FormResize();
    });
}

TInternForm::~TInternForm() = default;

void TInternForm::appendPoint(int seriesIndex, double x, double y) {
    ui->Chart1->addPoint(seriesIndex, x, y);
}

void TInternForm::setCabinetNumberParts(qint64 hundreds, qint64 remainder) {
    ui->SpinEdit1->setValue(
        int(std::clamp<qint64>(hundreds, ui->SpinEdit1->minimum(), ui->SpinEdit1->maximum())));
    ui->SpinEdit2->setValue(
        int(std::clamp<qint64>(remainder, ui->SpinEdit2->minimum(), ui->SpinEdit2->maximum())));
}

void TInternForm::Button1Click() {
    kd::livechart::presetLeftAxis(*ui->Chart1, 20);
}

void TInternForm::Button2Click() {
    kd::livechart::presetLeftAxis(*ui->Chart1, 300);
}

void TInternForm::Button3Click() {
    kd::livechart::mailToHelpdesk(*ui->Chart1, this);
}

void TInternForm::Button4Click() {
    ui->Chart1->showExportDialog(this);
}

void TInternForm::Button5Click() {
    kd::livechart::saveWithDialog(*ui->Chart1, this);
}

void TInternForm::Button6Click() {
    ui->Chart1->showEditorDialog(this);
}

void TInternForm::Button7Click() {
    kd::livechart::autosize(*ui->Chart1);
}

void TInternForm::Button8Click() {
    if (kd::CabinetCommands* cabinet = kd::windows().cabinet)
        cabinet->SendWdtTest();
}

void TInternForm::Button9Click() {
    if (kd::CabinetCommands* cabinet = kd::windows().cabinet)
        cabinet->SendDispLdr();
}

void TInternForm::Button15Click() {
    const qint32 number =
        kd::livechart::cabinetNumber(ui->SpinEdit1->value(), ui->SpinEdit2->value());
    if (kd::CabinetCommands* cabinet = kd::windows().cabinet)
        cabinet->SendCabinetNumber(number);
}

void TInternForm::CheckBoxLegendClick() {
    ui->Chart1->setLegendVisible(ui->CheckBoxLegend->isChecked());
}

void TInternForm::FormResize() {
    // Panel1 along the bottom, Panel2 along the left, the chart in the rest.
    const int w = width();
    const int h = height();
    ui->Panel1->setGeometry(0, h - 60, w, 60);
    ui->Panel2->setGeometry(0, 0, ui->Panel2->width(), std::max(0, h - 60));
    ui->Chart1->setGeometry(ui->Panel2->width(), 0, std::max(0, w - ui->Panel2->width()),
                            std::max(0, h - 60));
    ui->Chart1->setLegendLeft(kd::livechart::legendLeftFor(ui->Chart1->width()));
}

void TInternForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

