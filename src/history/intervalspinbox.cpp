#include "intervalspinbox.h"

#include <QLineEdit>

namespace kd::history {

IntervalSpinBox::IntervalSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(60, 3600);
    setValue(360);
    connect(lineEdit(), &QLineEdit::textEdited, this, &IntervalSpinBox::typed);
}

int IntervalSpinBox::effectiveValue() const {
    bool ok = false;
    const int typed = lineEdit()->text().trimmed().toInt(&ok);
    return ok ? std::clamp(typed, minimum(), maximum()) : minimum();
}

QValidator::State IntervalSpinBox::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    const QString t = input.trimmed();
    if (t.isEmpty())
        return QValidator::Intermediate;
    for (QChar c : t) {
        if (!c.isDigit())
            return QValidator::Invalid;
    }
    const int v = t.toInt();
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void IntervalSpinBox::fixup(QString& input) const {
    bool ok = false;
    const int typed = input.trimmed().toInt(&ok);
    input = QString::number(ok ? std::clamp(typed, minimum(), maximum()) : minimum());
}

}  // namespace kd::history
