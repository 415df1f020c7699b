#pragma once

#include <QtGlobal>

namespace kd {

/// The diagnostic window as the cabinet console's reply decoder sees it.
/// Called on the GUI thread only.
class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;
    /// Appends (x, y) to the live series with the given index (0..17), x being
    /// a date-time in days since 30 December 1899.
    virtual void appendPoint(int seriesIndex, double x, double y) = 0;
    /// Shows a cabinet number split into hundreds and remainder in the two
    /// service spin edits; each value is limited to its spin edit's range.
    virtual void setCabinetNumberParts(qint64 hundreds, qint64 remainder) = 0;
};

}  // namespace kd
