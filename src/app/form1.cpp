#include "form1.h"

#include "ui_form1.h"

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    Ui::TForm1 ui;
    ui.setupUi(this);
}
