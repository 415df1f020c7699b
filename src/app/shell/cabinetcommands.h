#pragma once

#include <QString>
#include <QtGlobal>

namespace kd {

/// What the diagnostic window and the help-desk mail need of the cabinet
/// console. Implemented by the console; every call runs on the GUI thread and
/// is dropped silently when no cabinet is bound.
class CabinetCommands {
public:
    virtual ~CabinetCommands() = default;
    /// Watchdog test, one byte 0xFD.
    virtual void SendWdtTest() = 0;
    /// Display light-sensor command "w".
    virtual void SendDispLdr() = 0;
    /// Command "x" with the cabinet number as a little-endian long.
    virtual void SendCabinetNumber(qint32 number) = 0;
    /// Current caption of the console's cabinet-number label ("N#..." ).
    virtual QString cabinetNumberCaption() const = 0;
    /// At the program's end: when the console is connected and holds a bound
    /// cabinet device, releases it (stops its reader, closes its handles).
    virtual void releaseCabinetLink() = 0;
};

}  // namespace kd
