#pragma once

#include <QColor>
#include <QWidget>

/// Seven-segment LED display of the cabinet console: four digits, one of
/// them after the decimal separator ","; no leading zeros; aqua segments on
/// black, digits 16 x 25 pixels with bevelled segments; unlit segments drawn
/// faintly (contrast 7 of 9); lowered bevel inside a single border.
/// A value that does not fit the four digits (from 1000 or below -99.9 after
/// rounding) shows a dash in every digit. GUI thread only.
class TLEDDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TLEDDisplay(QWidget* parent = nullptr);

    static constexpr int DigitCount = 4;
    static constexpr int FractionDigits = 1;
    static constexpr int DigitWidth = 16;
    static constexpr int DigitHeight = 25;
    static constexpr int Contrast = 7;

    double value() const { return m_value; }
    /// Shows the value rounded to one decimal.
    void setValue(double value);

    /// The characters the display lights, without the blank leading digits:
    /// "0,0", "0,5", "45,3", "-1,5"; "----" when the value does not fit.
    QString text() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_value = 0;
};
