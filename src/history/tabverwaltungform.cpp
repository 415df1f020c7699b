#include "tabverwaltungform.h"

#include "ui_tabverwaltungform.h"

#include "datamodule1.h"
#include "errorbox.h"
#include "historysql.h"
#include "language.h"
#include "programwindows.h"
#include "tabledataset.h"
#include "windowplacement.h"
#include "yearoverview.h"

#include <QDate>
#include <QHideEvent>

namespace {
QFont arial(int pixels) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    return f;
}
}  // namespace

TTabverwaltungForm::TTabverwaltungForm(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TTabverwaltungForm>()) {
    ui->setupUi(this);
    kd::history::applyDesignFont(this);
    ui->Label2->setFont(arial(21));
    ui->Label4->setFont(arial(21));
    ui->Label1->setFont(arial(19));
    ui->Label3->setFont(arial(19));
    QFont sixteen = font();
    sixteen.setPixelSize(16);
    ui->DBLookupComboBox1->setFont(sixteen);
    ui->DBEdit1->setFont(sixteen);
    ui->Image5->setPicture(QStringLiteral(":/icons/home.svg"));
    ui->Image2->setPicture(QStringLiteral(":/icons/graph.svg"));
    ui->DBLookupComboBox1->setCurrentIndex(-1);

    connect(ui->DBLookupComboBox1, &QComboBox::activated, this, &TTabverwaltungForm::chooseCabinet);
    connect(ui->SpinEdit1, &QSpinBox::valueChanged, this, &TTabverwaltungForm::SpinEdit1Change);
    connect(ui->SpinEdit1, &kd::history::IntervalSpinBox::typed, this,
            &TTabverwaltungForm::SpinEdit1Change);
    connect(ui->Button1, &QPushButton::clicked, this, &TTabverwaltungForm::Button1Click);
    connect(ui->Image2, &kd::PictureButton::clicked, this, &TTabverwaltungForm::Image2Click);
    connect(ui->Image5, &kd::PictureButton::clicked, this, &TTabverwaltungForm::Image5Click);

    kd::runGuarded([this] { FormCreate(); });
}

TTabverwaltungForm::~TTabverwaltungForm() = default;

void TTabverwaltungForm::bindControls() {
    TDataModule1* dm = TDataModule1::instance();
    if (bound_ || !dm || !dm->ZTable1->isActive())
        return;
    bound_ = true;
    kd::history::RecordSource* src = dm->DataSource2;
    src->mapper()->addMapping(ui->DBEdit1, dm->ZTable1->fieldIndex(QStringLiteral("alias")));
    src->mapper()->addMapping(ui->DBText1, dm->ZTable1->fieldIndex(QStringLiteral("mac")), "text");
    src->mapper()->addMapping(ui->DBCheckBox1, dm->ZTable1->fieldIndex(QStringLiteral("Aktiv")));
    // Typing or clicking starts editing the current row.
    connect(ui->DBEdit1, &QLineEdit::textEdited, src, &kd::history::RecordSource::edit);
    connect(ui->DBCheckBox1, &QCheckBox::clicked, this, [this, src] {
        ui->DBCheckBox1->setTristate(false);
        src->edit();
    });
    connect(ui->NavEdit, &QToolButton::clicked, src, &kd::history::RecordSource::edit);
    connect(ui->NavPost, &QToolButton::clicked, src, &kd::history::RecordSource::post);
    connect(ui->NavCancel, &QToolButton::clicked, src, &kd::history::RecordSource::cancel);
    connect(ui->NavRefresh, &QToolButton::clicked, this, [this, src] {
        src->refresh();
        fillLookup();
    });
    if (dm->ZTable2->isActive())
        ui->DBGrid1->setDataset(dm->ZTable2,
                                {QStringLiteral("timestamp"), QStringLiteral("ereigniss")});
}

void TTabverwaltungForm::FormCreate() {
    TDataModule1* dm = TDataModule1::instance();
    bindControls();
    fillLookup();
    if (!dm || !dm->ZQuery3.isOpen())
        throw kd::Error(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    if (dm->ZQuery3.rowCount() != 1)
        return;
    const QString text = dm->ZQuery3.text(QStringLiteral("Intervall"));
    bool ok = false;
    const int seconds = text.toInt(&ok);
    if (!ok)
        throw kd::Error(QStringLiteral("'%1' ist kein gültiger Integerwert.").arg(text));
    // A value other than the designed 360 changes the box, which reveals
    // "Übernehmen" from the first showing.
    ui->SpinEdit1->setValue(seconds);
}

void TTabverwaltungForm::fillLookup() {
    QComboBox* box = ui->DBLookupComboBox1;
    box->clear();
    if (TDataModule1* dm = TDataModule1::instance())
        dm->fillCabinetList(box);
    // The chosen cabinet stays chosen by its key while the list is re-read.
    box->setCurrentIndex(lookupMac_.isEmpty() ? -1 : box->findData(lookupMac_));
}

void TTabverwaltungForm::showEvent(QShowEvent* event) {
    // The show handler runs when the window is shown, not when the system
    // merely restores it from minimised.
    if (event->spontaneous()) {
        QWidget::showEvent(event);
        return;
    }
    kd::i18n::ApplyCurrentLanguage(this, kd::i18n::DatabaseConfiguration);
    QWidget::showEvent(event);
    kd::runGuarded([this] {
        TDataModule1* dm = TDataModule1::instance();
        if (!dm)
            return;
        bindControls();
        dm->DataSource2->refresh();
        fillLookup();
    });
}

void TTabverwaltungForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    if (!kd::isShown(kd::windows().Introform) && !kd::isShown(kd::windows().tabwahlform))
        kd::showWindow(kd::windows().Introform);
}

void TTabverwaltungForm::chooseCabinet(int index) {
    TDataModule1* dm = TDataModule1::instance();
    if (!dm || index < 0 || index >= ui->DBLookupComboBox1->count())
        return;
    ui->DBLookupComboBox1->setCurrentIndex(index);
    lookupText_ = ui->DBLookupComboBox1->itemText(index);
    lookupMac_ = ui->DBLookupComboBox1->itemData(index).toString();
    dm->DataSource2->locate(QStringLiteral("mac"), lookupMac_);
}

void TTabverwaltungForm::SpinEdit1Change() {
    ui->Button1->setVisible(true);
}

void TTabverwaltungForm::Button1Click() {
    TDataModule1* dm = TDataModule1::instance();
    const int seconds = ui->SpinEdit1->effectiveValue();
    {
        const QSignalBlocker quiet(ui->SpinEdit1);
        ui->SpinEdit1->setValue(seconds);
    }
    if (!dm)
        throw kd::Error(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    dm->ZQuery2.setSql(kd::history::intervalSql(seconds));
    dm->ZQuery2.execute();
    ui->Button1->setVisible(false);
}

void TTabverwaltungForm::Image2Click() {
    kd::history::setProgramDateFormats();
    if (lookupText_.isEmpty())
        return;
    const QString year = QDate::currentDate().toString(QStringLiteral("yyyy"));
    kd::history::runYearOverview(ui->DBText1->text(), year, lookupText_,
                                 qobject_cast<QWidget*>(kd::windows().tabwahlform));
}

void TTabverwaltungForm::Image5Click() {
    kd::showWindow(kd::windows().Introform);
    kd::hideWindow(this);
}
