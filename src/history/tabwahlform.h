#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Ttabwahlform;
}

/// The cabinet selection: the user picks a cabinet by alias and a year and
/// opens the history chart on that cabinet's measurement table for the whole
/// year. The chosen cabinet is the cabinet list's current row, shared with
/// the database configuration. GUI thread; database errors go to the default
/// error box.
class Ttabwahlform : public QWidget {
    Q_OBJECT
public:
    explicit Ttabwahlform(QWidget* parent = nullptr);
    ~Ttabwahlform() override;

    /// The designed controls, named as in the design.
    std::unique_ptr<Ui::Ttabwahlform> ui;

    /// The lookup box's own text: the alias last chosen in it (empty before
    /// any choice). It titles the year overview.
    QString lookupText() const { return lookupText_; }
    /// Choosing the alias at `index` of the lookup box, as the user does.
    void chooseCabinet(int index);
    /// "Darstellen": the year overview.
    void Image1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void DBLookupComboBox1CloseUp();
    void Image4Click();
    void Image5Click();
    void fillLookup();

    QString lookupText_;
};
