#pragma once

#include "cabinetcommands.h"
#include "cabinetprotocol.h"
#include "hiddevice.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <memory>

class QPainter;
class QTimer;

namespace Ui {
class TSchrankForm;
}

/// The cabinet console: live humidity, message list, settings, clock, reset
/// and firmware update of one cabinet controller on USB ("USB" tab), and the
/// network search and web-image upload ("LAN" tab, behaviour in kd::LanTab).
///
/// Owns the program's only USB link: binds the cabinet controller when it
/// arrives, polls it once a second while the status bar shows it connected,
/// writes each command as one output report and decodes every reply into its
/// controls and the diagnostic window (kd::windows().diagnostics, when set).
/// Closing it only hides it; the link lives on. Everything runs on the GUI
/// thread; the HID readers hand their reports over to it.
class TSchrankForm : public QWidget, public kd::CabinetCommands {
    Q_OBJECT
public:
    /// The program's console, on the program's device controller (real HID
    /// devices and the virtual cabinet).
    explicit TSchrankForm(QWidget* parent = nullptr);
    /// A console on the given device controller, which must outlive it (not
    /// owned). nullptr: no USB link.
    TSchrankForm(kd::hid::HidDeviceController* controller, QWidget* parent);
    ~TSchrankForm() override;

    // Link state.
    bool Connected() const { return m_connected; }
    kd::hid::HidDevice* BoundDevice() const { return m_boundDevice; }
    QString DeviceProduct() const { return m_deviceProduct; }
    bool SetupPending() const { return m_setupPending; }
    /// Set by every "@" reply; 0 until the first.
    kd::protocol::FirmwareVersion FirmwareVersion() const { return m_firmwareVersion; }

    /// The poll timer: 1000 ms, started and stopped by the drawing of status
    /// panel 0.
    QTimer* Timer1;
    /// Link icons of status panel 0: 0 connected, 1 not connected.
    QList<QIcon> ImageListe;

    // kd::CabinetCommands, for the diagnostic window and the help-desk mail.
    void SendWdtTest() override;
    void SendDispLdr() override;
    void SendCabinetNumber(qint32 number) override;
    QString cabinetNumberCaption() const override;
    void releaseCabinetLink() override;

public slots:
    /// Arrival of any HID device; binds a cabinet controller.
    void Hid1Arrival(kd::hid::HidDevice* device);
    /// Removal of any HID device. Only the removal of the bound cabinet ends
    /// the link; another cabinet reserved earlier is released on its own.
    void Hid1Removal(kd::hid::HidDevice* device);
    /// Poll tick: "@" when a settings read is due, else "v"; nothing while no
    /// cabinet is bound.
    void Timer1Timer();
    /// Writes one command as one output report of the bound device's declared
    /// length. Dropped without notice when nothing is bound or the command
    /// does not fit the report; the write's outcome is not examined.
    void SendCommand(const QByteArray& command);
    /// Data event of a bound device: the bytes after the report id go to
    /// HandleReport (missing bytes read as 0).
    void ReportReceived(kd::hid::HidDevice* device, quint8 reportId, const QByteArray& data);
    /// Decodes one 64-byte reply into the console and the diagnostic window.
    void HandleReport(const QByteArray& reply);
    /// Drawing of the owner-drawn status panel 0; also starts or stops Timer1.
    void StatbarUSBDrawPanel(QPainter* painter, int panel, const QRect& rect);

    void setzenClick();
    void auslesenClick();
    void Button23Click();
    void Button27Click();
    void resetbtn1Click();
    void softupdatebtnClick();
    void Button1Click();
    void Button4Click();
    void Image1Click();
    void Image2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void setUpFonts();
    void setUpStatusBar();
    void placeBottomAlignedControls();
    void attach(kd::hid::HidDevice* device);
    void releaseDevice(kd::hid::HidDevice* device);

    void apply(const kd::protocol::SettingsReply& reply);
    void apply(const kd::protocol::WebImageReply& reply);
    void apply(const kd::protocol::LiveValues& reply);
    void apply(const kd::protocol::I2cScanReply& reply);
    void apply(const kd::protocol::ClockReply& reply);
    void appendMessages(const QStringList& lines);

    std::unique_ptr<Ui::TSchrankForm> ui;
    /// The HID device controller: arrival and removal of every HID device.
    kd::hid::HidDeviceController* Hid1 = nullptr;

    bool m_connected = false;
    QPointer<kd::hid::HidDevice> m_boundDevice;
    /// Every cabinet device this console reserved and whose reader runs.
    QList<QPointer<kd::hid::HidDevice>> m_reserved;
    QString m_deviceProduct;
    bool m_setupPending = false;
    kd::protocol::FirmwareVersion m_firmwareVersion;
};
