#include "schrankform.h"

#include "ui_schrankform.h"

#include "diagnosticssink.h"
#include "errorbox.h"
#include "hiddevice.h"
#include "programdir.h"
#include "programwindows.h"
#include "shellopen.h"

#ifdef KD_HAVE_I18N
#include "language.h"
#endif
#ifdef KD_HAVE_HID_CONTROLLER
#include "devicecontroller.h"
#endif
#ifdef KD_HAVE_LAN
#include "lantab.h"
#endif

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include <type_traits>
#include <variant>

namespace proto = kd::protocol;

namespace {

QFont pixelFont(QFont font, int pixels, bool bold = false) {
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// Labels size themselves to their text, as the design's labels do.
void setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

bool isCabinet(const kd::hid::HidDevice* device) {
    return device->vendorId() == proto::CabinetVendorId &&
           device->productId() == proto::CabinetProductId;
}

QString hexId(quint16 id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper();
}

// The system's long time format without a time zone, which the clock
// labels have no room for.
QString systemTimeText(const QTime& time) {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(time, format.trimmed());
}

}  // namespace

TSchrankForm::TSchrankForm(QWidget* parent)
#ifdef KD_HAVE_HID_CONTROLLER
    : TSchrankForm(kd::hid::createDeviceController(nullptr), parent) {
    // The program's controller belongs to the console.
    Hid1->setParent(this);
}
#else
    : TSchrankForm(static_cast<kd::hid::HidDeviceController*>(nullptr), parent) {
}
#endif

TSchrankForm::TSchrankForm(kd::hid::HidDeviceController* controller, QWidget* parent)
    : QWidget(parent),
      Timer1(new QTimer(this)),
      ui(std::make_unique<Ui::TSchrankForm>()),
      Hid1(controller) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("SchrankForm"));
    resize(989 - 16, 556 - 39);
    setUpFonts();

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    ImageListe = {QIcon(QStringLiteral(":/icons/link-connected.svg")),
                  QIcon(QStringLiteral(":/icons/link-disconnected.svg"))};
    ui->Image1->setPicture(QStringLiteral(":/icons/diagnostics.svg"));
    ui->Image2->setPicture(QStringLiteral(":/icons/graph.svg"));
    ui->resetbtn1->setIcon(QIcon(QStringLiteral(":/icons/reset.svg")));
    ui->softupdatebtn->setIcon(QIcon(QStringLiteral(":/icons/update.svg")));
    ui->resetbtn1->setIconSize({24, 24});
    ui->softupdatebtn->setIconSize({24, 24});
    ui->LEDDisplay2->setValue(0);
    ui->LEDDisplay4->setValue(0.5);
    setUpStatusBar();
    ui->TabSheet1->installEventFilter(this);
    ui->TabSheet2->installEventFilter(this);

    connect(Timer1, &QTimer::timeout, this, &TSchrankForm::Timer1Timer);
    connect(ui->setzen, &QPushButton::clicked, this, &TSchrankForm::setzenClick);
    connect(ui->auslesen, &QPushButton::clicked, this, &TSchrankForm::auslesenClick);
    connect(ui->Button23, &QPushButton::clicked, this, &TSchrankForm::Button23Click);
    connect(ui->Button27, &QPushButton::clicked, this, &TSchrankForm::Button27Click);
    connect(ui->resetbtn1, &QPushButton::clicked, this, &TSchrankForm::resetbtn1Click);
    connect(ui->softupdatebtn, &QPushButton::clicked, this, &TSchrankForm::softupdatebtnClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TSchrankForm::Button1Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TSchrankForm::Button4Click);
    connect(ui->Image1, &kd::PictureButton::clicked, this, &TSchrankForm::Image1Click);
    connect(ui->Image2, &kd::PictureButton::clicked, this, &TSchrankForm::Image2Click);

    if (Hid1) {
        connect(Hid1, &kd::hid::HidDeviceController::deviceArrival, this,
                &TSchrankForm::Hid1Arrival);
        connect(Hid1, &kd::hid::HidDeviceController::deviceRemoval, this,
                &TSchrankForm::Hid1Removal);
    }

    kd::runGuarded([this] { FormCreate(); });
}

TSchrankForm::~TSchrankForm() {
    // No reader may hand a report to a console that is gone.
    for (const QPointer<kd::hid::HidDevice>& device : std::as_const(m_reserved)) {
        if (device)
            device->release();
    }
}

void TSchrankForm::FormCreate() {
#ifdef KD_HAVE_LAN
    new kd::LanTab(this);
#endif
}

void TSchrankForm::setUpFonts() {
    const QFont base = pixelFont(QFont(QStringLiteral("MS Sans Serif")), 11);
    setFont(base);

    QFont ip = pixelFont(base, 19, true);
    ip.setUnderline(true);
    ui->IP_Label->setFont(ip);
    setTextColour(ui->IP_Label, Qt::blue);
    ui->IP_Label->setCursor(Qt::PointingHandCursor);
    ui->Label25->setFont(pixelFont(base, 19, true));
    ui->GroupBox2->setFont(pixelFont(base, 13, true));
    for (QLabel* bold : {ui->Label7, ui->Label8, ui->Label1, ui->Label9, ui->Label10})
        bold->setFont(pixelFont(base, 11, true));
    for (QSpinBox* spin : {ui->SpinEdit1, ui->SpinEdit2, ui->SpinEdit3, ui->SpinEdit4,
                           ui->SpinEdit5, ui->SpinEdit6, ui->SpinEdit7})
        spin->setFont(pixelFont(base, 13));
    setTextColour(ui->HostName, QColor(0x80, 0, 0));  // maroon
    ui->UDPMemo->setFont(pixelFont(QFont(QStringLiteral("Courier New")), 13));
    setTextColour(ui->UDPMemo, QColor(0, 0, 0x80));  // navy

    for (QLabel* label : findChildren<QLabel*>()) {
        if (!qobject_cast<kd::PictureButton*>(label))
            label->adjustSize();
    }
}

void TSchrankForm::setUpStatusBar() {
    kd::PanelStatusBar* bar = ui->StatbarUSB;
    bar->addPanel(300, Qt::AlignLeft, true, true);
    bar->addPanel(80, Qt::AlignHCenter, true, false);
    bar->addPanel(80, Qt::AlignHCenter, true, false);
    bar->addPanel(46, Qt::AlignHCenter, true, false);
    bar->addPanel(50, Qt::AlignLeft, false, false);
    connect(bar, &kd::PanelStatusBar::drawPanel, this, &TSchrankForm::StatbarUSBDrawPanel);
}

// The status bar sits at the foot of the "USB" tab; progress bar, source
// group and log box stack up from the foot of the "LAN" tab.
void TSchrankForm::placeBottomAlignedControls() {
    const int usbWidth = ui->TabSheet1->width();
    const int usbHeight = ui->TabSheet1->height();
    ui->StatbarUSB->setGeometry(0, usbHeight - 21, usbWidth, 21);

    const int lanWidth = ui->TabSheet2->width();
    int bottom = ui->TabSheet2->height();
    bottom -= ui->UDPMemo->height();
    ui->UDPMemo->setGeometry(0, bottom, lanWidth, ui->UDPMemo->height());
    bottom -= ui->SourceGroupBox->height();
    ui->SourceGroupBox->setGeometry(0, bottom, lanWidth, ui->SourceGroupBox->height());
    bottom -= ui->ProgressBar1->height();
    ui->ProgressBar1->setGeometry(0, bottom, lanWidth, ui->ProgressBar1->height());
}

bool TSchrankForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == ui->TabSheet1 || watched == ui->TabSheet2))
        placeBottomAlignedControls();
    return QWidget::eventFilter(watched, event);
}

void TSchrankForm::showEvent(QShowEvent* event) {
    // The show handler runs when the window is shown, not when the system
    // merely restores it from minimised.
    if (event->spontaneous()) {
        QWidget::showEvent(event);
        return;
    }
#ifdef KD_HAVE_I18N
    kd::i18n::ApplyCurrentLanguage(this, kd::i18n::CabinetConsole);
#endif
    for (QLabel* label : findChildren<QLabel*>()) {
        if (!qobject_cast<kd::PictureButton*>(label))
            label->adjustSize();
    }
    QWidget::showEvent(event);
}

// ---- Link ------------------------------------------------------------------

void TSchrankForm::Hid1Arrival(kd::hid::HidDevice* device) {
    if (!device || !isCabinet(device))
        return;
    m_connected = true;
    ui->StatbarUSB->setPanelText(1, QStringLiteral("VID=") + hexId(device->vendorId()));
    ui->StatbarUSB->setPanelText(2, QStringLiteral("PID=") + hexId(device->productId()));
    ui->StatbarUSB->setPanelText(3, device->serialNumber());
    m_deviceProduct = device->productName();
    ui->StatbarUSB->repaint();
    m_boundDevice = device;
    if (device->canReadWrite()) {
        m_boundDevice =
            Hid1 ? Hid1->checkOutByID(proto::CabinetVendorId, proto::CabinetProductId) : nullptr;
        if (m_boundDevice)
            attach(m_boundDevice);
    } else {
        device->setDataHandler({});
    }
}

void TSchrankForm::attach(kd::hid::HidDevice* device) {
    if (!m_reserved.contains(device))
        m_reserved.append(device);
    device->setDataHandler(
        [this](kd::hid::HidDevice* from, quint8 reportId, const QByteArray& data) {
            ReportReceived(from, reportId, data);
        });
}

void TSchrankForm::releaseDevice(kd::hid::HidDevice* device) {
    if (!device)
        return;
    m_reserved.removeAll(device);
    device->release();
}

void TSchrankForm::Hid1Removal(kd::hid::HidDevice* device) {
    if (!device || !isCabinet(device))
        return;
    if (device->productName() == QLatin1String(proto::CabinetProductName)) {
        appendMessages({QStringLiteral("Device \"") + device->productName() +
                        QStringLiteral("\" Disconnected!")});
    }
    // Another cabinet that leaves the bus must not take the bound one's link
    // with it: only its own reservation ends.
    if (m_boundDevice && device != m_boundDevice.data()) {
        if (m_reserved.contains(device))
            releaseDevice(device);
        return;
    }
    m_connected = false;
    ui->StatbarUSB->repaint();
    releaseDevice(m_boundDevice);
    if (m_reserved.contains(device))
        releaseDevice(device);
    m_boundDevice = nullptr;
}

void TSchrankForm::releaseCabinetLink() {
    if (m_connected && m_boundDevice) {
        releaseDevice(m_boundDevice);
        m_boundDevice = nullptr;
    }
}

void TSchrankForm::StatbarUSBDrawPanel(QPainter* painter, int panel, const QRect& rect) {
    if (panel != 0)
        return;
    kd::PanelStatusBar* bar = ui->StatbarUSB;
    const int left = rect.left();
    const int top = rect.top();
    const QRect textRect(left, top + 2, 1000, rect.height());
    if (m_connected) {
        m_setupPending = true;
        painter->drawPixmap(left + 2, top + 1, ImageListe.at(0).pixmap(16, 16));
        bar->setPanelWidth(0, 270);
        painter->drawText(textRect.translated(24, 0), Qt::AlignLeft | Qt::AlignTop,
                          QLatin1Char('"') + m_deviceProduct + QStringLiteral("\" Verbunden !"));
        if (!Timer1->isActive())
            Timer1->start();
    } else {
        painter->drawPixmap(left + 2, top + 1, ImageListe.at(1).pixmap(16, 16));
        bar->setPanelWidth(0, 354);
        painter->drawText(textRect.translated(78, 0), Qt::AlignLeft | Qt::AlignTop,
                          QStringLiteral("-- Keine Verbindung zum KD7634 ! --"));
        for (int i = 1; i <= 3; ++i)
            bar->setPanelText(i, QString());
        Timer1->stop();
    }
}

void TSchrankForm::Timer1Timer() {
    char command = proto::code::LiveValues;
    if (m_connected && m_boundDevice) {
        if (m_setupPending) {
            command = proto::code::Settings;
            m_setupPending = false;
        }
        SendCommand(proto::singleByteCommand(command));
    }
}

void TSchrankForm::SendCommand(const QByteArray& command) {
    if (!m_boundDevice)
        return;
    const auto report = proto::outputReport(command, m_boundDevice->outputReportLength());
    if (!report)
        return;
    m_boundDevice->writeReport(*report);
}

void TSchrankForm::ReportReceived(kd::hid::HidDevice*, quint8, const QByteArray& data) {
    QByteArray reply = data.left(proto::ReplyLength);
    reply.append(QByteArray(proto::ReplyLength - reply.size(), '\0'));
    HandleReport(reply);
}

// ---- Replies ---------------------------------------------------------------

void TSchrankForm::HandleReport(const QByteArray& reply) {
    std::visit(
        [this](const auto& decoded) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(decoded)>, std::monostate>)
                apply(decoded);
        },
        proto::decodeReply(reply, m_firmwareVersion));
}

void TSchrankForm::appendMessages(const QStringList& lines) {
    for (const QString& line : lines)
        ui->txtMessage->appendPlainText(line);
}

void TSchrankForm::apply(const proto::SettingsReply& reply) {
    QSpinBox* spins[] = {ui->SpinEdit1, ui->SpinEdit2, ui->SpinEdit3, ui->SpinEdit4,
                         ui->SpinEdit5, ui->SpinEdit6, ui->SpinEdit7};
    for (int i = 0; i < 7; ++i)
        spins[i]->setValue(reply.spinValues[i]);  // limited to the range
    ui->rueckluft->setChecked(reply.returnAir);
    m_firmwareVersion = reply.firmware;
    setCaption(ui->Label35, reply.versionCaption);
    setTextColour(ui->Label35, Qt::black);
    setCaption(ui->Label25, reply.cabinetCaption);
    setCaption(ui->Label20, reply.macCaption);
    if (kd::DiagnosticsSink* sink = kd::windows().diagnostics)
        sink->setCabinetNumberParts(reply.cabinetHundreds, reply.cabinetRemainder);
    ui->txtMessage->clear();
    appendMessages(reply.lines);
    SendCommand(proto::singleByteCommand(proto::code::WebImageVersion));
}

void TSchrankForm::apply(const proto::WebImageReply& reply) {
    ui->UDPMemo->appendPlainText(reply.memoLine);
    setCaption(ui->Label15, reply.caption);
    if (reply.upToDate)
        setTextColour(ui->Label15, *reply.upToDate ? Qt::black : Qt::red);
}

void TSchrankForm::apply(const proto::LiveValues& reply) {
    ui->txtMessage->clear();
    const double x = proto::dateTimeValue(QDateTime::currentDateTime());
    appendMessages(reply.lines);
    setCaption(ui->Label11, reply.errorCaption);
    ui->Label11->setVisible(reply.error != 0);
    ui->LEDDisplay2->setValue(reply.upperHumidity);
    ui->LEDDisplay4->setValue(reply.lowerHumidity);
    setCaption(ui->IP_Label, reply.ipCaption);
    if (kd::DiagnosticsSink* sink = kd::windows().diagnostics) {
        for (int i = 0; i < int(reply.series.size()); ++i)
            sink->appendPoint(i, x, reply.series[i]);
    }
}

void TSchrankForm::apply(const proto::I2cScanReply& reply) {
    appendMessages(reply.lines);
}

void TSchrankForm::apply(const proto::ClockReply& reply) {
    appendMessages(reply.lines);
    setCaption(ui->Label27, reply.controllerTime);
    setCaption(ui->Label29, reply.controllerDate);
    const QDateTime now = QDateTime::currentDateTime();
    setCaption(ui->Label26, systemTimeText(now.time()));
    setCaption(ui->Label28, QLocale::system().toString(now.date(), QLocale::ShortFormat));
}

// ---- Commands --------------------------------------------------------------

void TSchrankForm::setzenClick() {
    // A value still being typed counts as entered.
    ui->SpinEdit4->interpretText();
    ui->SpinEdit5->interpretText();
    SendCommand(proto::settingsCommand(ui->SpinEdit4->value(), ui->SpinEdit5->value()));
}

void TSchrankForm::auslesenClick() {
    SendCommand(proto::singleByteCommand(proto::code::Settings));
}

void TSchrankForm::Button23Click() {
    SendCommand(proto::singleByteCommand(proto::code::ReadClock));
}

void TSchrankForm::Button27Click() {
    SendCommand(proto::clockCommand(QDateTime::currentDateTime()));
}

void TSchrankForm::resetbtn1Click() {
    SendCommand(proto::singleByteCommand(proto::code::Reset));
}

void TSchrankForm::softupdatebtnClick() {
    SendCommand(proto::singleByteCommand(proto::code::FirmwareLoader));
    const QString loader = kd::programDirectory() + QStringLiteral("Bootloader/BOOTL.exe");
    if (QFileInfo::exists(loader))
        kd::shellOpen(loader);
}

void TSchrankForm::Button1Click() {
    SendCommand(proto::singleByteCommand(proto::code::LiveValues));
}

void TSchrankForm::Button4Click() {
    SendCommand(proto::singleByteCommand(proto::code::WebImageVersion));
}

void TSchrankForm::Image1Click() {
    kd::showWindow(kd::windows().InternForm);
}

void TSchrankForm::Image2Click() {
    kd::showWindow(kd::windows().GraphForm);
}

void TSchrankForm::SendWdtTest() {
    SendCommand(proto::singleByteCommand(proto::code::WatchdogTest));
}

void TSchrankForm::SendDispLdr() {
    SendCommand(proto::singleByteCommand(proto::code::DisplayLightSensor));
}

void TSchrankForm::SendCabinetNumber(qint32 number) {
    SendCommand(proto::cabinetNumberCommand(number));
}

QString TSchrankForm::cabinetNumberCaption() const {
    return ui->Label25->text();
}
