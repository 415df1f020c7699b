#pragma once

#include <QByteArray>

#include <optional>

namespace kd::hid {

/// The byte transport of one device: hidapi for a real device, the local
/// socket for the virtual cabinet. The device and its reader use only this,
/// so both kinds share the binding, reader and release code.
class ReportChannel {
public:
    virtual ~ReportChannel() = default;

    /// Opens the transport for reading and writing; true when it is open
    /// (also when it already was). GUI thread, never while a reader runs.
    virtual bool open() = 0;
    /// Closes the transport; safe when closed. GUI thread, no reader running.
    virtual void close() = 0;

    /// Outcome of one read: a report (as read, before normalisation), a
    /// timeout (empty array) or a failure (nullopt).
    using ReadResult = std::optional<QByteArray>;
    /// Waits up to timeoutMs for one input report. Reader thread only.
    virtual ReadResult read(int timeoutMs) = 0;
    /// Makes a read that is waiting return soon. Any thread.
    virtual void wakeReader() {}
    /// Whether a read returns the report id as its first byte.
    virtual bool numberedReports() const = 0;

    /// Writes one whole output report synchronously; false on failure.
    /// GUI thread.
    virtual bool write(const QByteArray& report) = 0;
};

}  // namespace kd::hid
