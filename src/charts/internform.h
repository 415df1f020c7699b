#pragma once

#include "diagnosticssink.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TInternForm;
}

/// The diagnostic window: charts the cabinet's 18 live values for as long as
/// the program runs, and carries the service controls for the cabinet number
/// and two test commands. The console's reply decoder feeds it through
/// kd::DiagnosticsSink. Created once, never destroyed; GUI thread only.
class TInternForm : public QWidget, public kd::DiagnosticsSink {
    Q_OBJECT
public:
    explicit TInternForm(QWidget* parent = nullptr);
    ~TInternForm() override;

    // kd::DiagnosticsSink
    void appendPoint(int seriesIndex, double x, double y) override;
    void setCabinetNumberParts(qint64 hundreds, qint64 remainder) override;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button15Click();
    void CheckBoxLegendClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormResize();
    std::unique_ptr<Ui::TInternForm> ui;
};
