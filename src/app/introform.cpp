#include "introform.h"

#include "ui_introform.h"

#include "cabinetcommands.h"
#include "errorbox.h"
#include "language.h"
#include "languageitemdelegate.h"
#include "programwindows.h"
#include "shellopen.h"
#include "usersettings.h"
#include "versiontext.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>

// Only the path is fixed by the cabinet's documentation; the host is the
// maker's web server.
const char* const kManufacturerWebPage =
    "http://www.kwb-trockenschrank.example/intern/KD7630_48.php";

namespace {
constexpr auto kLangValue = "lang";
constexpr auto kServiceValue = "kwb";

// The diagnostic window's service controls governed by the service level.
constexpr const char* kServiceControls[] = {"Button15", "SpinEdit1", "SpinEdit2", "Button8",
                                            "Button9"};
}  // namespace

TIntroform::TIntroform(QWidget* parent) : QWidget(parent), ui(new Ui::TIntroform) {
    ui->setupUi(this);
    // A form file can only give point sizes; the design's letters are 11 pixels.
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    ui->Image6->setPicture(QStringLiteral(":/icons/console.svg"));
    ui->Image2->setPicture(QStringLiteral(":/icons/view.svg"));
    ui->Image4->setPicture(QStringLiteral(":/icons/database.svg"));
    ui->Image3->setPicture(QStringLiteral(":/icons/exit.svg"));
    ui->Image9->setPicture(QStringLiteral(":/icons/manual.svg"));
    ui->Image5->setPicture(QStringLiteral(":/icons/web.svg"));
    ui->Sprachwahl->setItemDelegate(new kd::LanguageItemDelegate(&imageList1_, ui->Sprachwahl));

    connect(ui->Image2, &kd::PictureButton::clicked, this, &TIntroform::Image2Click);
    connect(ui->Image3, &kd::PictureButton::clicked, this, &TIntroform::Image3Click);
    connect(ui->Image4, &kd::PictureButton::clicked, this, &TIntroform::Image4Click);
    connect(ui->Image5, &kd::PictureButton::clicked, this, &TIntroform::Image5Click);
    connect(ui->Image6, &kd::PictureButton::clicked, this, &TIntroform::Image6Click);
    connect(ui->Image9, &kd::PictureButton::clicked, this, &TIntroform::Image9Click);

    kd::windows().Sprachwahl = ui->Sprachwahl;
    kd::runGuarded([this] { FormCreate(); });
    // Only user choices count as changes; the creation handler ran the
    // change step itself once.
    connect(ui->Sprachwahl, &QComboBox::activated, this, &TIntroform::SprachwahlChange);
}

TIntroform::~TIntroform() {
    if (kd::windows().Sprachwahl == ui->Sprachwahl)
        kd::windows().Sprachwahl = nullptr;
    delete ui;
}

void TIntroform::FormCreate() {
    // Without a readable version the label keeps its designed text.
    const QString version = kd::VersionText();
    if (!version.isEmpty())
        ui->Label9->setText(QStringLiteral("V.") + version);
    ui->Label9->adjustSize();
    BuildLanguageList();

    serviceLevel_ = 0;
    int index = 0;
    if (const auto level = kd::UserSettings::readDword(kServiceValue))
        serviceLevel_ = *level;
    if (const auto lang = kd::UserSettings::readDword(kLangValue))
        index = *lang;

    // An index that names no entry leaves the box without a selection.
    ui->Sprachwahl->setCurrentIndex(index >= 0 && index < ui->Sprachwahl->count() ? index : -1);
    SprachwahlChange();
}

void TIntroform::BuildLanguageList() {
    kd::i18n::BuildLanguageList(ui->Sprachwahl, &imageList1_);
    // The closed box shows the chosen flag too; the open list is drawn by the
    // item delegate.
    for (int i = 0; i < ui->Sprachwahl->count() && i < imageList1_.size(); ++i)
        ui->Sprachwahl->setItemIcon(i, QIcon(imageList1_.at(i)));
}

void TIntroform::SprachwahlChange() {
    languageIndex_ = ui->Sprachwahl->currentIndex();
    const QString stem = kd::i18n::LanguageFileStem(languageIndex_);
    if (!stem.isEmpty())
        kd::i18n::LoadLanguage(this, kd::i18n::StartWindow, stem);
}

void TIntroform::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TIntroform::FormShow() {
    const kd::ProgramWindows& w = kd::windows();
    if (w.SchrankForm) {
        if (QWidget* image1 = w.SchrankForm->findChild<QWidget*>(QStringLiteral("Image1")))
            image1->setVisible(true);
    }
    if (w.InternForm) {
        const bool show = serviceLevel_ >= 2;
        for (const char* name : kServiceControls) {
            if (QWidget* control = w.InternForm->findChild<QWidget*>(QLatin1String(name)))
                control->setVisible(show);
        }
    }
}

void TIntroform::closeEvent(QCloseEvent* event) {
    // The close is never refused.
    kd::runGuarded([this] { FormCloseQuery(); });
    kd::runGuarded([this] { FormClose(); });
    event->accept();
    QCoreApplication::quit();
}

void TIntroform::FormCloseQuery() {
    if (kd::CabinetCommands* cabinet = kd::windows().cabinet)
        cabinet->releaseCabinetLink();
}

void TIntroform::FormClose() {
    kd::UserSettings::writeDword(kLangValue, languageIndex_);
}

void TIntroform::Image2Click() {
    kd::showWindow(kd::windows().tabwahlform);
}

void TIntroform::Image3Click() {
    close();
}

void TIntroform::Image4Click() {
    kd::showWindow(kd::windows().TabverwaltungForm);
}

void TIntroform::Image5Click() {
    kd::shellOpen(QString::fromLatin1(kManufacturerWebPage));
}

void TIntroform::Image6Click() {
    kd::showWindow(kd::windows().SchrankForm);
}

QString TIntroform::manualFileName(const QString& languageName) {
    return languageName == QLatin1String("Deutsch") ? QStringLiteral("BDA KD7630-v2.pdf")
                                                    : QStringLiteral("BDA KD7630-v2-E.pdf");
}

void TIntroform::Image9Click() {
    kd::shellOpen(manualFileName(ui->Sprachwahl->currentText()));
}
