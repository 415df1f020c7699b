#include "lantab.h"

#include "discovery.h"
#include "discoveryclient.h"
#include "errorbox.h"
#include "imageuploader.h"
#include "mpfsupload.h"
#include "programdir.h"
#include "shellopen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>

namespace kd {

namespace {
// The memo shows each line end of a received text as a line break, like
// the controller's own CR LF.
QString withLineBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
}  // namespace

LanTab::LanTab(QWidget* console)
    : QObject(console),
      Timer2(new QTimer(this)),
      console_(console),
      ComboBox1(console->findChild<QComboBox*>(QStringLiteral("ComboBox1"))),
      Schrankip(console->findChild<QLineEdit*>(QStringLiteral("Schrankip"))),
      Button3(console->findChild<QAbstractButton*>(QStringLiteral("Button3"))),
      Button2(console->findChild<QAbstractButton*>(QStringLiteral("Button2"))),
      Netzwerksuche(console->findChild<QListWidget*>(QStringLiteral("Netzwerksuche"))),
      ProgressBar1(console->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))),
      HostName(console->findChild<QLabel*>(QStringLiteral("HostName"))),
      UDPMemoPlain(console->findChild<QPlainTextEdit*>(QStringLiteral("UDPMemo"))),
      UDPMemoRich(console->findChild<QTextEdit*>(QStringLiteral("UDPMemo"))),
      IP_Label(console->findChild<QLabel*>(QStringLiteral("IP_Label"))),
      httpMain(new lan::ImageUploader(this)) {
    httpMain->setInactivityTimeout(kUploadInactivityMs);
    connect(httpMain, &lan::ImageUploader::finished, this, &LanTab::uploadDone);

    if (Button3)
        connect(Button3, &QAbstractButton::clicked, this, &LanTab::Button3Click);
    if (Button2)
        connect(Button2, &QAbstractButton::clicked, this, &LanTab::Button2Click);
    if (Netzwerksuche) {
        connect(Netzwerksuche, &QListWidget::itemClicked, this, &LanTab::NetzwerksucheClick);
        connect(Netzwerksuche, &QListWidget::itemActivated, this, &LanTab::NetzwerksucheClick);
    }
    if (IP_Label)
        IP_Label->installEventFilter(this);

    if (HostName)
        HostName->setText(QHostInfo::localHostName());
    if (ComboBox1) {
        ComboBox1->clear();
        ComboBox1->addItems(GetLocalAddressList());
        if (ComboBox1->count() > 0)
            ComboBox1->setCurrentIndex(0);
    }

    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &LanTab::Timer2Timer);
    Timer2->start();
}

LanTab::~LanTab() = default;

QStringList LanTab::GetLocalAddressList() {
    // The interfaces, not a lookup of the host name: on Linux the resolver
    // answers with /etc/hosts entries (often 127.0.1.1), which are no
    // addresses a discovery can be sent from.
    QStringList list;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                list << ip.toString();
        }
    }
    return list;
}

void LanTab::setUploadInactivityTimeout(int ms) {
    httpMain->setInactivityTimeout(ms);
}

bool LanTab::isUploading() const {
    return httpMain->isBusy();
}

void LanTab::appendMemoLine(const QString& line) {
    if (UDPMemoPlain)
        UDPMemoPlain->appendPlainText(withLineBreaks(line));
    else if (UDPMemoRich)
        UDPMemoRich->append(
            withLineBreaks(line).toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")));
}

void LanTab::setProgress(int value) {
    if (ProgressBar1)
        ProgressBar1->setValue(value);
}

void LanTab::Button3Click() {
    if (Netzwerksuche)
        Netzwerksuche->clear();
    setProgress(0);
    if (!UDPClient)
        UDPClient = new lan::DiscoveryClient(this);
    QString error;
    if (!UDPClient->sendRequest(ComboBox1 ? ComboBox1->currentText() : QString(), &error))
        throw Error(error);
    appendMemoLine(QStringLiteral("Sending ") + QString::fromLatin1(lan::discoveryRequest()));
    setProgress(100);
}

void LanTab::Timer2Timer() {
    if (!UDPClient)
        return;
    const auto datagram = UDPClient->readOne(kAnswerWaitMs);
    if (!datagram)
        return;
    const lan::DiscoveryAnswer answer = lan::parseDiscoveryAnswer(datagram->data);
    appendMemoLine(lan::receivedLogLine(answer, datagram->sender));
    if (answer.isCabinet) {
        if (Netzwerksuche)
            Netzwerksuche->addItem(lan::cabinetListEntry(datagram->sender, answer));
    } else {
        appendMemoLine(answer.model);
    }
}

void LanTab::NetzwerksucheClick() {
    if (!Netzwerksuche || !Schrankip)
        return;
    const QListWidgetItem* item = Netzwerksuche->currentItem();
    if (!item)
        return;
    Schrankip->setText(lan::addressOfListEntry(item->text()));
}

void LanTab::Button2Click() {
    // One upload at a time: a second one inside the first would race it for
    // the controller's image store.
    if (httpMain->isBusy())
        return;
    const QString imagePath = programDirectory() + QLatin1String(lan::kImageFileName);
    setProgress(0);
    const QString shown = Schrankip ? Schrankip->displayText() : QString();
    if (!Schrankip || lan::isEmptyAddressField(shown)) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        QStringLiteral("Kein Schrank ausgewählt"), QMessageBox::Ok, console_);
        box.exec();
        setProgress(100);
        return;
    }
    const QByteArray boundary = lan::uploadBoundary(QDateTime::currentDateTime());
    QByteArray image;
    QString error;
    if (!lan::readImageFile(imagePath, &image, &error))
        throw Error(error);
    const QByteArray body = lan::uploadBody(boundary, imagePath, image);
    httpMain->start(lan::uploadUrl(lan::addressFromField(shown)), boundary, body);
    if (Button2)
        Button2->setEnabled(false);
}

void LanTab::uploadDone(bool ok, const QString& error) {
    if (Button2)
        Button2->setEnabled(true);
    setProgress(100);
    if (!ok)
        presentError(QStringLiteral("MPFS-Update fehlgeschlagen: %1").arg(error));
    emit uploadFinished(ok);
}

void LanTab::IP_LabelClick() {
    if (IP_Label)
        shellOpen(QStringLiteral("http://") + IP_Label->text());
}

bool LanTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == IP_Label && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            IP_Label->rect().contains(mouse->position().toPoint()))
            IP_LabelClick();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kd
