#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TTabverwaltungForm;
}

/// The database configuration: edits a cabinet's alias and active flag,
/// shows and edits the logger's error list, writes the logger's recording
/// interval, and opens the current year's history of the chosen cabinet.
/// Works on the cabinet list's current row shared with the cabinet
/// selection. GUI thread; database errors go to the default error box.
class TTabverwaltungForm : public QWidget {
    Q_OBJECT
public:
    explicit TTabverwaltungForm(QWidget* parent = nullptr);
    ~TTabverwaltungForm() override;

    /// The designed controls, named as in the design.
    std::unique_ptr<Ui::TTabverwaltungForm> ui;

    /// The lookup box's own text: the alias shown when its cabinet was chosen.
    QString lookupText() const { return lookupText_; }
    /// Choosing the entry at `index` of the lookup box, as the user does.
    void chooseCabinet(int index);

    void SpinEdit1Change();
    /// "Übernehmen": writes the interval to the logger settings row.
    void Button1Click();
    /// "Ansicht": the current year's history of the chosen cabinet.
    void Image2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void Image5Click();
    void bindControls();
    void fillLookup();

    QString lookupText_;
    QString lookupMac_;
    bool bound_ = false;
};
