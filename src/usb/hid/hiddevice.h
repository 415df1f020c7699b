#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace kd::hid {

/// One HID device as the cabinet console sees it. Created by a
/// HidDeviceController; lives until the controller reports its removal and
/// the console released it. All members are called on the GUI thread.
class HidDevice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual quint16 vendorId() const = 0;
    virtual quint16 productId() const = 0;
    /// USB product string. Read once at arrival (for every device) and kept,
    /// so it is still available in the removal event.
    virtual QString productName() const = 0;
    /// USB serial number string, same rules as productName().
    virtual QString serialNumber() const = 0;
    /// Whether the device can be opened for reading and writing.
    virtual bool canReadWrite() const = 0;
    /// Declared output report length, report id byte included (65 for the cabinet).
    virtual int outputReportLength() const = 0;
    /// Declared input report length, report id byte included (65 for the cabinet).
    virtual int inputReportLength() const = 0;

    /// Synchronous write of one output report, report id first, exactly
    /// outputReportLength() bytes. False on failure; callers may ignore it.
    virtual bool writeReport(const QByteArray& report) = 0;

    /// Handler of the data event: report id and the bytes after it
    /// (inputReportLength() - 1 bytes, but never fewer than 64: a shorter
    /// report is zero-padded, so a decoder of 64 reply bytes stays inside
    /// it). Whether the platform's read kept the report id or not, the id
    /// comes apart and the data holds the reply alone. Runs on the GUI
    /// thread; an exception leaving the handler ends that report's handling
    /// only and the reader goes on with the next. The reader
    /// waits until it returned before it reads on, so reports are handled one
    /// at a time and in arrival order.
    using DataHandler = std::function<void(HidDevice* device, quint8 reportId, const QByteArray& data)>;
    /// Setting a handler starts the reader; an empty handler stops it.
    virtual void setDataHandler(DataHandler handler) = 0;

    /// Stops the reader and closes the handles. Safe to call more than once;
    /// never deadlocks against a reader that waits for the GUI thread. After
    /// release() no handler call for this device runs any more.
    virtual void release() = 0;
};

/// Watches HID devices and raises one arrival per device present at start
/// (once the event loop runs) and per device attached later, and one removal
/// per device detached.
class HidDeviceController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Hands out the first attached device with these ids that is not
    /// reserved yet and reserves it; nullptr when there is none.
    virtual HidDevice* checkOutByID(quint16 vendorId, quint16 productId) = 0;

signals:
    void deviceArrival(kd::hid::HidDevice* device);
    void deviceRemoval(kd::hid::HidDevice* device);
};

}  // namespace kd::hid
