#include "graphform.h"

#include "chart.h"
#include "errorbox.h"
#include "livechart.h"
#include "ui_graphform.h"

#include <QShowEvent>

#include <algorithm>

using kd::chart::Axis;

TGraphForm::TGraphForm(QWidget* parent) : QWidget(parent), ui(new Ui::TGraphForm) {
    kd::runGuarded([&] {
        ui->setupUi(this);
        setWindowFlag(Qt::Window);
        kd::livechart::setupChart(*ui->Chart1, kd::livechart::Window::Graph);
        connect(ui->Button1, &QPushButton::clicked, this, &TGraphForm::Button1Click);
        connect(ui->Button2, &QPushButton::clicked, this, &TGraphForm::Button2Click);
        connect(ui->Button3, &QPushButton::clicked, this, &TGraphForm::Button3Click);
        connect(ui->Button4, &QPushButton::clicked, this, &TGraphForm::Button4Click);
        connect(ui->Button5, &QPushButton::clicked, this, &TGraphForm::Button5Click);
        connect(ui->Button6, &QPushButton::clicked, this, &TGraphForm::Button6Click);
        connect(ui->Button7, &QPushButton::clicked, this, &TGraphForm::Button7Click);
        connect(ui->CheckBoxLegend, &QCheckBox::clicked, this, &TGraphForm::CheckBoxLegendClick);
        FormResize();
    });
}

TGraphForm::~TGraphForm() = default;

void TGraphForm::Button1Click() {
    kd::livechart::presetLeftAxis(*ui->Chart1, 20);
}

void TGraphForm::Button2Click() {
    kd::livechart::presetLeftAxis(*ui->Chart1, 300);
}

void TGraphForm::Button3Click() {
    kd::livechart::mailToHelpdesk(*ui->Chart1, this);
}

void TGraphForm::Button4Click() {
    ui->Chart1->showExportDialog(this);
}

void TGraphForm::Button5Click() {
    kd::livechart::saveWithDialog(*ui->Chart1, this);
}

void TGraphForm::Button6Click() {
    ui->Chart1->showEditorDialog(this);
}

void TGraphForm::Button7Click() {
    kd::livechart::autosize(*ui->Chart1);
}

void TGraphForm::CheckBoxLegendClick() {
    ui->Chart1->setLegendVisible(ui->CheckBoxLegend->isChecked());
}

void TGraphForm::FormResize() {
    // Panel1 along the bottom, Panel2 along the left, the chart in the rest.
    const int w = width();
    const int h = height();
    ui->Panel1->setGeometry(0, h - 60, w, 60);
    ui->Panel2->setGeometry(0, 0, ui->Panel2->width(), std::max(0, h - 60));
    ui->Chart1->setGeometry(ui->Panel2->width(), 0, std::max(0, w - ui->Panel2->width()),
                            std::max(0, h - 60));
    ui->Chart1->setLegendLeft(kd::livechart::legendLeftFor(ui->Chart1->width()));
}

void TGraphForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

