#pragma once

#include <QSpinBox>

namespace kd {

/// A spin box whose typed text is always taken: a number outside the range
/// becomes the nearest bound, a text that is not a number the minimum. Values
/// set by code are limited to the range as in QSpinBox. GUI thread only.
class ClampingSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit ClampingSpinBox(QWidget* parent = nullptr);

    /// Value of a typed text under the rule above.
    int valueOfText(const QString& text) const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
};

}  // namespace kd
