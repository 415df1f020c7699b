#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TGraphForm;
}

/// The graph window: the diagnostic window's twin without service controls.
/// Nothing feeds its chart. Created once, never destroyed; GUI thread only.
class TGraphForm : public QWidget {
    Q_OBJECT
public:
    explicit TGraphForm(QWidget* parent = nullptr);
    ~TGraphForm() override;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void CheckBoxLegendClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormResize();
    std::unique_ptr<Ui::TGraphForm> ui;
};
