#include "tabwahlform.h"

#include "ui_tabwahlform.h"

#include "datamodule1.h"
#include "errorbox.h"
#include "language.h"
#include "programwindows.h"
#include "tabledataset.h"
#include "windowplacement.h"
#include "yearoverview.h"

#include <QDate>
#include <QHideEvent>

namespace {
QFont arial(int pixels, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}
}  // namespace

Ttabwahlform::Ttabwahlform(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Ttabwahlform>()) {
    ui->setupUi(this);
    kd::history::applyDesignFont(this);
    ui->Label1->setFont(arial(21));
    ui->Label2->setFont(arial(19));
    ui->Label3->setFont(arial(19));
    ui->Label5->setFont(arial(19));
    QFont bold16 = font();
    bold16.setPixelSize(16);
    bold16.setBold(true);
    ui->Label4->setFont(bold16);
    QFont box = font();
    box.setPixelSize(16);
    ui->DBLookupComboBox1->setFont(box);
    QFont year = font();
    year.setPixelSize(13);
    year.setBold(true);
    ui->MaskEdit1->setFont(year);
    ui->Image5->setPicture(QStringLiteral(":/icons/home.svg"));
    ui->Image4->setPicture(QStringLiteral(":/icons/database.svg"));
    ui->arb->setPicture(QStringLiteral(":/icons/arrow-blue.svg"));
    ui->arg->setPicture(QStringLiteral(":/icons/arrow-grey.svg"));
    ui->Image1->setPixmap(ui->arg->pixmap());
    ui->DBLookupComboBox1->setCurrentIndex(-1);

    connect(ui->DBLookupComboBox1, &QComboBox::activated, this, &Ttabwahlform::chooseCabinet);
    connect(ui->Image1, &kd::PictureButton::clicked, this, &Ttabwahlform::Image1Click);
    connect(ui->arb, &kd::PictureButton::clicked, this, &Ttabwahlform::Image1Click);
    connect(ui->arg, &kd::PictureButton::clicked, this, &Ttabwahlform::Image1Click);
    connect(ui->Image4, &kd::PictureButton::clicked, this, &Ttabwahlform::Image4Click);
    connect(ui->Image5, &kd::PictureButton::clicked, this, &Ttabwahlform::Image5Click);

    kd::runGuarded([this] { FormCreate(); });
}

Ttabwahlform::~Ttabwahlform() = default;

void Ttabwahlform::FormCreate() {
    ui->MaskEdit1->setText(QDate::currentDate().toString(QStringLiteral("yyyy")));
    if (TDataModule1* dm = TDataModule1::instance()) {
        const int mac = dm->ZTable1->fieldIndex(QStringLiteral("mac"));
        dm->DataSource2->mapper()->addMapping(ui->DBEdit1, mac);
        if (dm->ZTable1->isActive())
            dm->DataSource2->mapper()->setCurrentIndex(dm->DataSource2->currentRow());
        fillLookup();
    }
}

void Ttabwahlform::fillLookup() {
    QComboBox* box = ui->DBLookupComboBox1;
    box->clear();
    if (TDataModule1* dm = TDataModule1::instance())
        dm->fillCabinetList(box);
    // The box keeps showing its own last choice.
    box->setCurrentIndex(lookupText_.isEmpty() ? -1 : box->findText(lookupText_));
}

void Ttabwahlform::showEvent(QShowEvent* event) {
    // The show handler runs when the window is shown, not when the system
    // merely restores it from minimised.
    if (event->spontaneous()) {
        QWidget::showEvent(event);
        return;
    }
    kd::i18n::ApplyCurrentLanguage(this, kd::i18n::CabinetSelection);
    QWidget::showEvent(event);
    kd::runGuarded([this] {
        TDataModule1* dm = TDataModule1::instance();
        if (!dm)
            return;
        // A table mapped before the database opened gets its mapping now.
        const int mac = dm->ZTable1->fieldIndex(QStringLiteral("mac"));
        if (dm->DataSource2->mapper()->mappedSection(ui->DBEdit1) != mac)
            dm->DataSource2->mapper()->addMapping(ui->DBEdit1, mac);
        dm->DataSource2->refresh();
        fillLookup();
    });
}

void Ttabwahlform::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    if (!kd::isShown(kd::windows().Mainform) && !kd::isShown(kd::windows().TabverwaltungForm))
        kd::showWindow(kd::windows().Introform);
}

void Ttabwahlform::chooseCabinet(int index) {
    TDataModule1* dm = TDataModule1::instance();
    if (!dm || index < 0 || index >= ui->DBLookupComboBox1->count())
        return;
    const QString alias = ui->DBLookupComboBox1->itemText(index);
    ui->DBLookupComboBox1->setCurrentIndex(index);
    lookupText_ = alias;
    dm->DataSource2->locate(QStringLiteral("alias"), alias);
    DBLookupComboBox1CloseUp();
}

void Ttabwahlform::DBLookupComboBox1CloseUp() {
    ui->Image1->setPixmap(lookupText_.isEmpty() ? ui->arg->pixmap() : ui->arb->pixmap());
}

void Ttabwahlform::Image1Click() {
    kd::history::setProgramDateFormats();
    if (lookupText_.isEmpty())
        return;
    kd::history::runYearOverview(ui->DBEdit1->text(), ui->MaskEdit1->displayText(), lookupText_,
                                 this);
}

void Ttabwahlform::Image4Click() {
    kd::showWindow(kd::windows().TabverwaltungForm);
    kd::hideWindow(this);
}

void Ttabwahlform::Image5Click() {
    kd::showWindow(kd::windows().Introform);
    kd::hideWindow(this);
}
