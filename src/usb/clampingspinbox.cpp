#include "clampingspinbox.h"

#include <algorithm>

namespace kd {

ClampingSpinBox::ClampingSpinBox(QWidget* parent) : QSpinBox(parent) {}

int ClampingSpinBox::valueOfText(const QString& text) const {
    bool ok = false;
    const qlonglong typed = text.trimmed().toLongLong(&ok);
    if (!ok)
        return minimum();
    return int(std::clamp<qlonglong>(typed, minimum(), maximum()));
}

QValidator::State ClampingSpinBox::validate(QString& input, int&) const {
    // Anything may be typed; fixup turns it into a value when editing ends.
    bool ok = false;
    const qlonglong typed = input.trimmed().toLongLong(&ok);
    if (ok && typed >= minimum() && typed <= maximum())
        return QValidator::Acceptable;
    return QValidator::Intermediate;
}

void ClampingSpinBox::fixup(QString& input) const {
    input = textFromValue(valueOfText(input));
}

int ClampingSpinBox::valueFromText(const QString& text) const {
    return valueOfText(text);
}

}  // namespace kd
