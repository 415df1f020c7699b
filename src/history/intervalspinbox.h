#pragma once

#include <QSpinBox>

namespace kd::history {

/// The recording interval box: 60 to 3600 seconds, designed value 360.
/// Any digits may be typed (like a classic spin edit); leaving the box
/// clamps the typed number into the range, and text that is not a number
/// reads as the minimum.
class IntervalSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit IntervalSpinBox(QWidget* parent = nullptr);

    /// The value the box stands for now, typed text included: clamped into
    /// the range; the minimum when the text is not a number.
    int effectiveValue() const;

signals:
    /// The user typed into the box (also text that is not yet in range).
    void typed();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

}  // namespace kd::history
