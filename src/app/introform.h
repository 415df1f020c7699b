#pragma once

#include <QList>
#include <QPixmap>
#include <QWidget>

namespace Ui {
class TIntroform;
}

/// The start window and main window: model name, version, language box and
/// the picture buttons that lead to every other window. Closing it ends the
/// program; it is never hidden.
class TIntroform : public QWidget {
    Q_OBJECT
public:
    explicit TIntroform(QWidget* parent = nullptr);
    ~TIntroform() override;

    /// Index of the language box as recorded at its last change; -1 for none.
    int LanguageIndex() const { return languageIndex_; }
    /// Per-user service level, read once at creation; 2 or more shows the
    /// diagnostic window's service controls.
    int ServiceLevel() const { return serviceLevel_; }
    /// The flags of the language box, one per item.
    const QList<QPixmap>& ImageList1() const { return imageList1_; }

    /// File name of the operating manual for the chosen language: the German
    /// one only for the display name "Deutsch".
    static QString manualFileName(const QString& languageName);

    void FormShow();
    void FormCloseQuery();
    void FormClose();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
    void Image9Click();
    void BuildLanguageList();
    void SprachwahlChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    Ui::TIntroform* ui;
    QList<QPixmap> imageList1_;
    int languageIndex_ = 0;
    int serviceLevel_ = 0;
};

/// The manufacturer's web page opened by "Webseite".
extern const char* const kManufacturerWebPage;
