// The "LAN" tab end to end, inside network namespaces the test makes itself:
// the test process moves into a namespace of its own that holds only a
// loopback device and one end of a veth pair; the other end lives in a
// second namespace where a virtual cabinet answers. No packet can leave the
// machine, and the cabinet's web server may take port 80 on the private
// loopback.
#include "discovery.h"
#include "errorbox.h"
#include "lancabinet.h"
#include "lantab.h"
#include "programdir.h"
#include "shellopen.h"

#include <QComboBox>
#include <QFile>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <memory>

namespace {

const QString kProgramAddress = QStringLiteral("10.76.34.1");
const QString kCabinetAddress = QStringLiteral("10.76.34.2");

// Runs `ip` with the given arguments; returns its error text, empty on success.
QString ip(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("ip"), args);
    if (!p.waitForFinished(10000))
        return QStringLiteral("ip %1: did not finish").arg(args.join(' '));
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("ip %1: %2")
            .arg(args.join(' '), QString::fromLocal8Bit(p.readAllStandardError()));
    return {};
}

// A virtual cabinet in its own thread, moved into the cabinet's namespace
// before it opens its sockets.
class CabinetThread : public QThread {
public:
    CabinetThread(QString netnsPath, kd::sim::LanCabinetConfig config)
        : netnsPath_(std::move(netnsPath)), config_(std::move(config)) {}
    QString error;
    QSemaphore ready;
    QAtomicInt answered{0};

protected:
    void run() override {
        const int fd = ::open(QFile::encodeName(netnsPath_).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
            error = QStringLiteral("cannot enter %1").arg(netnsPath_);
            if (fd >= 0)
                ::close(fd);
            ready.release();
            return;
        }
        ::close(fd);
        kd::sim::LanCabinet cabinet(config_);
        if (!cabinet.start(&error)) {
            ready.release();
            return;
        }
        QObject::connect(&cabinet, &kd::sim::LanCabinet::discoveryAnswered, &cabinet,
                         [this] { answered.fetchAndAddOrdered(1); });
        ready.release();
        exec();
    }

private:
    QString netnsPath_;
    kd::sim::LanCabinetConfig config_;
};

// The controls of the console's "LAN" tab and "USB - Infos" group, named and
// typed as the console has them.
struct Console {
    QWidget window;
    QComboBox* ComboBox1 = new QComboBox(&window);
    QLineEdit* Schrankip = new QLineEdit(&window);
    QPushButton* Button3 = new QPushButton(QStringLiteral("Schranksuche"), &window);
    QPushButton* Button2 = new QPushButton(QStringLiteral("MPFS-Update"), &window);
    QListWidget* Netzwerksuche = new QListWidget(&window);
    QProgressBar* ProgressBar1 = new QProgressBar(&window);
    QLabel* HostName = new QLabel(&window);
    QPlainTextEdit* UDPMemo = new QPlainTextEdit(&window);
    QLabel* IP_Label = new QLabel(QStringLiteral("www.kwb-trockenschrank.example"), &window);
    kd::LanTab* tab = nullptr;

    Console() {
        ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
        ComboBox1->setEditable(true);
        Schrankip->setObjectName(QStringLiteral("Schrankip"));
        Schrankip->setInputMask(QStringLiteral("900.900.900.900; "));
        Button3->setObjectName(QStringLiteral("Button3"));
        Button2->setObjectName(QStringLiteral("Button2"));
        Netzwerksuche->setObjectName(QStringLiteral("Netzwerksuche"));
        ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(0);
        HostName->setObjectName(QStringLiteral("HostName"));
        UDPMemo->setObjectName(QStringLiteral("UDPMemo"));
        IP_Label->setObjectName(QStringLiteral("IP_Label"));
        IP_Label->setGeometry(8, 16, 236, 24);
        tab = new kd::LanTab(&window);
    }

    QStringList memoLines() const { return UDPMemo->toPlainText().split(QLatin1Char('\n')); }
};

// A cabinet web server on the private loopback, at the port the program uses.
kd::sim::LanCabinetConfig loopbackCabinet(kd::sim::HttpMode mode) {
    kd::sim::LanCabinetConfig config;
    config.bindAddress = QHostAddress::LocalHost;
    config.udpPort = 0;
    config.httpPort = 80;
    config.httpMode = mode;
    return config;
}

// Collects the text of the next modal message box and closes it.
class MessageBoxCatcher : public QObject {
public:
    QStringList texts;
    MessageBoxCatcher() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(10);
    }

private:
    QTimer timer_;
};

}  // namespace

class TestLanTab : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void creationFillsHostAndAddresses();
    void discoveryFindsTheCabinet();
    void answersAreReadOnePerTick_data();
    void answersAreReadOnePerTick();
    void answersOfAnEarlierSearchAreListedUnderTheNext();
    void failedSendLeavesEverythingEmpty();
    void entryClickSetsAddress();

    void uploadSendsTheRequestByteForByte();
    void uploadFailureIsShown_data();
    void uploadFailureIsShown();
    void secondUploadWhileOneRunsIsRefused();
    void uploadWithoutAddress();
    void uploadWithoutImage();

    void addressLabelOpensWebPage();

private:
    void startCabinet(const kd::sim::LanCabinetConfig& config);
    // The discovery reaches this side's socket from the given payload, sent
    // by a socket of the test on the program's own address.
    void sendAnswerToProgram(Console& console, const QByteArray& payload);
    QByteArray writeImage();

    QString netnsName_;
    bool haveNetns_ = false;
    std::unique_ptr<CabinetThread> cabinet_;
    QTemporaryDir programDir_;
    QStringList errors_;
    QStringList opened_;
};

void TestLanTab::initTestCase() {
    if (::unshare(CLONE_NEWNET) != 0)
        QSKIP(
            "Network namespaces cannot be made here (unshare(CLONE_NEWNET) needs "
            "CAP_SYS_ADMIN, e.g. run as root): the LAN tests never touch a real network.");
    netnsName_ = QStringLiteral("kdlan-cabinet-%1").arg(QCoreApplication::applicationPid());
    const QList<QStringList> setup = {
        {"link", "set", "lo", "up"},
        {"link", "add", "kdlan0", "type", "veth", "peer", "name", "kdlan1"},
        {"netns", "add", netnsName_},
        {"link", "set", "kdlan1", "netns", netnsName_},
        {"addr", "add", kProgramAddress + "/24", "dev", "kdlan0"},
        {"link", "set", "kdlan0", "up"},
        {"-n", netnsName_, "link", "set", "lo", "up"},
        {"-n", netnsName_, "addr", "add", kCabinetAddress + "/24", "dev", "kdlan1"},
        {"-n", netnsName_, "link", "set", "kdlan1", "up"},
    };
    for (const QStringList& step : setup) {
        const QString error = ip(step);
        if (!error.isEmpty())
            QSKIP(qPrintable("Network namespaces cannot be set up here: " + error));
        if (step.value(1) == QLatin1String("add") && step.value(0) == QLatin1String("netns"))
            haveNetns_ = true;
    }
    // Nothing but the private loopback and our veth end: a broadcast can go nowhere else.
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces())
        QVERIFY2(iface.name() == QLatin1String("lo") || iface.name() == QLatin1String("kdlan0"),
                 qPrintable(iface.name()));
    // The veth pair needs a moment before it passes packets.
    QTRY_VERIFY_WITH_TIMEOUT(QNetworkInterface::interfaceFromName(QStringLiteral("kdlan0"))
                                 .flags()
                                 .testFlag(QNetworkInterface::IsRunning),
                             5000);

    QVERIFY(programDir_.isValid());
    kd::setProgramDirectoryForTesting(programDir_.path());
    kd::setErrorPresenter([this](const QString& text) { errors_ << text; });
    kd::setShellOpenerForTesting([this](const QString& target) {
        opened_ << target;
        return true;
    });
}

void TestLanTab::cleanupTestCase() {
    if (cabinet_) {
        cabinet_->quit();
        cabinet_->wait();
    }
    if (haveNetns_)
        ip({"netns", "del", netnsName_});
    kd::setErrorPresenter({});
    kd::setShellOpenerForTesting({});
    kd::setProgramDirectoryForTesting({});
}

void TestLanTab::init() {
    // A cabinet left from an earlier case would answer every search.
    if (cabinet_) {
        cabinet_->quit();
        cabinet_->wait();
        cabinet_.reset();
    }
    errors_.clear();
    opened_.clear();
}

void TestLanTab::startCabinet(const kd::sim::LanCabinetConfig& config) {
    if (cabinet_) {
        cabinet_->quit();
        cabinet_->wait();
    }
    cabinet_ = std::make_unique<CabinetThread>(QStringLiteral("/run/netns/") + netnsName_, config);
    cabinet_->start();
    cabinet_->ready.acquire();
    QVERIFY2(cabinet_->error.isEmpty(), qPrintable(cabinet_->error));
}

void TestLanTab::sendAnswerToProgram(Console& console, const QByteArray& payload) {
    Q_UNUSED(console);
    QUdpSocket sender;
    QVERIFY(sender.bind(QHostAddress(kProgramAddress), 0));
    const quint16 port = console.tab->findChild<QUdpSocket*>()->localPort();
    QCOMPARE(sender.writeDatagram(payload, QHostAddress(kProgramAddress), port), payload.size());
}

QByteArray TestLanTab::writeImage() {
    QByteArray image("MPFS\x02\x01", 6);
    for (int i = 0; i < 3000; ++i)
        image += char(i * 7);
    image += "\r\n--\r\n";
    QFile file(programDir_.filePath(QStringLiteral("MPFSImg2.bin")));
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        qFatal("cannot write the test image");
    return image;
}

void TestLanTab::creationFillsHostAndAddresses() {
    Console console;
    QCOMPARE(console.HostName->text(), QHostInfo::localHostName());
    // Loopback is no address a discovery can go out from.
    QCOMPARE(console.ComboBox1->count(), 1);
    QCOMPARE(console.ComboBox1->currentText(), kProgramAddress);
    QVERIFY(console.tab->Timer2->isActive());
    QCOMPARE(console.tab->Timer2->interval(), 1000);
}

void TestLanTab::discoveryFindsTheCabinet() {
    kd::sim::LanCabinetConfig config;
    config.name = QStringLiteral("Lager 3");
    config.httpMode = kd::sim::HttpMode::Refuse;
    startCabinet(config);

    Console console;
    console.ProgressBar1->setValue(50);
    QTest::mouseClick(console.Button3, Qt::LeftButton);
    QCOMPARE(console.ProgressBar1->value(), 100);
    QCOMPARE(console.memoLines(), QStringList{"Sending Discovery: Who is out there?"});

    QTRY_COMPARE_WITH_TIMEOUT(console.Netzwerksuche->count(), 1, 5000);
    QCOMPARE(cabinet_->answered.loadAcquire(), 1);
    QCOMPARE(console.Netzwerksuche->item(0)->text(), kCabinetAddress + " - Lager 3");
    QCOMPARE(console.memoLines(), (QStringList{"Sending Discovery: Who is out there?",
                                               "Received: KD7634 Lager 3", kCabinetAddress}));
    QVERIFY(errors_.isEmpty());
}

void TestLanTab::answersAreReadOnePerTick_data() {
    QTest::addColumn<QByteArrayList>("answers");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("memoAfterSending");

    const QString a = kProgramAddress;
    QTest::newRow("model alone") << QByteArrayList{"KD7634"} << QStringList{a + " - "}
                                 << QStringList{"Received: KD7634" + a};
    QTest::newRow("name with CR LF")
        << QByteArrayList{"KD7634 ABC\r\n"} << QStringList{a + " - ABC"}
        << QStringList{"Received: KD7634 ABC", a};
    QTest::newRow("lower-case model is logged, not listed")
        << QByteArrayList{"kd7634 ABC\r\n"} << QStringList{}
        << QStringList{"Received: kd7634 ABC", a, "kd7634"};
    QTest::newRow("short answer is logged whole as its model")
        << QByteArrayList{"KD7"} << QStringList{} << QStringList{"Received: KD7" + a, "KD7"};
    QTest::newRow("empty datagram changes nothing")
        << QByteArrayList{""} << QStringList{} << QStringList{};
    QTest::newRow("two equal answers give two equal entries")
        << QByteArrayList{"KD7634 ABC\r\n", "KD7634 ABC\r\n"}
        << QStringList{a + " - ABC", a + " - ABC"}
        << QStringList{"Received: KD7634 ABC", a, "Received: KD7634 ABC", a};
}

void TestLanTab::answersAreReadOnePerTick() {
    QFETCH(QByteArrayList, answers);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, memoAfterSending);

    Console console;
    console.tab->Timer2->stop();
    console.tab->Button3Click();
    for (const QByteArray& answer : answers)
        sendAnswerToProgram(console, answer);
    // Each tick takes one datagram; the last tick finds none and changes nothing.
    for (qsizetype i = 0; i <= answers.size(); ++i)
        console.tab->Timer2Timer();

    QStringList items;
    for (int i = 0; i < console.Netzwerksuche->count(); ++i)
        items << console.Netzwerksuche->item(i)->text();
    QCOMPARE(items, entries);
    QCOMPARE(console.memoLines(),
             QStringList{"Sending Discovery: Who is out there?"} + memoAfterSending);
}

void TestLanTab::answersOfAnEarlierSearchAreListedUnderTheNext() {
    Console console;
    console.tab->Timer2->stop();
    console.tab->Button3Click();
    sendAnswerToProgram(console, "KD7634 ABC\r\n");
    sendAnswerToProgram(console, "KD7634 DEF\r\n");
    console.tab->Timer2Timer();
    QCOMPARE(console.Netzwerksuche->count(), 1);

    // The second search clears the list but keeps the socket and what waits in it.
    console.tab->Button3Click();
    QCOMPARE(console.Netzwerksuche->count(), 0);
    console.tab->Timer2Timer();
    QCOMPARE(console.Netzwerksuche->count(), 1);
    QCOMPARE(console.Netzwerksuche->item(0)->text(), kProgramAddress + " - DEF");
}

void TestLanTab::failedSendLeavesEverythingEmpty() {
    Console console;
    console.Netzwerksuche->addItem(QStringLiteral("10.0.0.9 - old"));
    console.ProgressBar1->setValue(100);
    // An address this computer does not have cannot be sent from.
    console.ComboBox1->setEditText(QStringLiteral("10.76.99.99"));
    QVERIFY_THROWS_EXCEPTION(kd::Error, console.tab->Button3Click());
    QCOMPARE(console.Netzwerksuche->count(), 0);
    QCOMPARE(console.ProgressBar1->value(), 0);
    QCOMPARE(console.UDPMemo->toPlainText(), QString());

    console.ComboBox1->setEditText(QStringLiteral("not an address"));
    try {
        console.tab->Button3Click();
        QFAIL("no error for a text that is no address");
    } catch (const kd::Error& e) {
        QVERIFY2(e.message().contains(QLatin1String("not an address")), qPrintable(e.message()));
    }
    QCOMPARE(console.UDPMemo->toPlainText(), QString());
}

void TestLanTab::entryClickSetsAddress() {
    Console console;
    console.Netzwerksuche->addItem(QStringLiteral("10.0.0.9 - other"));
    console.Netzwerksuche->addItem(QStringLiteral("192.168.1.20 - ABC"));
    console.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console.window));
    const QRect rect = console.Netzwerksuche->visualItemRect(console.Netzwerksuche->item(1));
    QTest::mouseClick(console.Netzwerksuche->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(console.Schrankip->text(), QStringLiteral("192.168.1.20"));
}

void TestLanTab::uploadSendsTheRequestByteForByte() {
    kd::sim::LanCabinet cabinet(loopbackCabinet(kd::sim::HttpMode::Accept));
    QString error;
    QVERIFY2(cabinet.start(&error), qPrintable(error));
    const QByteArray image = writeImage();

    Console console;
    console.Schrankip->setText(QStringLiteral("127.0.0.1"));
    QSignalSpy received(&cabinet, &kd::sim::LanCabinet::uploadReceived);
    QSignalSpy finished(console.tab, &kd::LanTab::uploadFinished);
    const QDateTime before = QDateTime::currentDateTime();
    console.ProgressBar1->setValue(50);
    QTest::mouseClick(console.Button2, Qt::LeftButton);
    QCOMPARE(console.ProgressBar1->value(), 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(console.ProgressBar1->value(), 100);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(received.size(), 1);
    QCOMPARE(cabinet.lastImage(), image);

    const QList<QByteArray> head = cabinet.lastRequestHead();
    QCOMPARE(head.value(0), QByteArray("POST /mpfsupload HTTP/1.1"));
    QByteArray contentType;
    for (const QByteArray& line : head) {
        if (line.startsWith("Content-Type: "))
            contentType = line.mid(14);
    }
    const QRegularExpression form(
        QStringLiteral("^multipart/form-data; boundary=(-{27}(\\d{15}))$"));
    const auto match = form.match(QString::fromLatin1(contentType));
    QVERIFY2(match.hasMatch(), contentType.constData());
    const QByteArray boundary = match.captured(1).toLatin1();
    const QDateTime stamp =
        QDateTime::fromString(match.captured(2), QStringLiteral("MMddyyHHmmsszzz")).addYears(100);
    QVERIFY2(qAbs(stamp.msecsTo(before)) < 5000, qPrintable(stamp.toString(Qt::ISODateWithMs)));

    const QByteArray path = QFile::encodeName(programDir_.filePath(QStringLiteral("MPFSImg2.bin")));
    const QByteArray expected =
        "\r\n--" + boundary +
        "\r\nContent-Disposition: form-data; name=\"/mpfsupload\"; filename=\"" + path +
        "\"\r\nContent-Type: \r\n\r\n" + image + "\r\n--" + boundary + "--\r\n";
    QCOMPARE(cabinet.lastRequestBody(), expected);
    for (const QByteArray& line : {QByteArray("Accept: text/html, */*"),
                                   QByteArray("User-Agent: Mozilla/3.0 (compatible; Indy Library)"),
                                   "Content-Length: " + QByteArray::number(expected.size())})
        QVERIFY2(head.contains(line), line.constData());
}

void TestLanTab::uploadFailureIsShown_data() {
    QTest::addColumn<kd::sim::HttpMode>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("connection refused") << kd::sim::HttpMode::Refuse << "refused";
    QTest::newRow("error status") << kd::sim::HttpMode::Fail << "Internal Server Error";
    QTest::newRow("broken off") << kd::sim::HttpMode::Drop << "closed";
}

// Guards against the upload's failures looking exactly like a success.
void TestLanTab::uploadFailureIsShown() {
    QFETCH(kd::sim::HttpMode, mode);
    QFETCH(QString, reason);
    kd::sim::LanCabinet cabinet(loopbackCabinet(mode));
    QString error;
    QVERIFY2(cabinet.start(&error), qPrintable(error));
    writeImage();

    Console console;
    console.Schrankip->setText(QStringLiteral("127.0.0.1"));
    QSignalSpy finished(console.tab, &kd::LanTab::uploadFinished);
    console.tab->Button2Click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(console.ProgressBar1->value(), 100);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.at(0).startsWith(QLatin1String("MPFS-Update fehlgeschlagen: ")),
             qPrintable(errors_.at(0)));
    QVERIFY2(errors_.at(0).contains(reason, Qt::CaseInsensitive), qPrintable(errors_.at(0)));
    QVERIFY(console.Button2->isEnabled());
}

// Guards against a second upload starting inside the first.
void TestLanTab::secondUploadWhileOneRunsIsRefused() {
    kd::sim::LanCabinet cabinet(loopbackCabinet(kd::sim::HttpMode::Hang));
    QString error;
    QVERIFY2(cabinet.start(&error), qPrintable(error));
    writeImage();

    Console console;
    console.tab->setUploadInactivityTimeout(1500);
    console.Schrankip->setText(QStringLiteral("127.0.0.1"));
    QSignalSpy received(&cabinet, &kd::sim::LanCabinet::uploadReceived);
    QSignalSpy finished(console.tab, &kd::LanTab::uploadFinished);
    console.tab->Button2Click();
    QVERIFY(received.wait(10000));
    QVERIFY(console.tab->isUploading());
    QVERIFY(!console.Button2->isEnabled());

    // The window goes on working while the cabinet keeps the upload waiting.
    console.tab->Timer2->setInterval(10);
    QSignalSpy ticks(console.tab->Timer2, &QTimer::timeout);
    QVERIFY(ticks.wait(2000));
    console.tab->Button2Click();
    QCOMPARE(console.ProgressBar1->value(), 0);

    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(received.size(), 1);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.at(0).contains(QStringLiteral("Zeitüberschreitung")),
             qPrintable(errors_.at(0)));
    QCOMPARE(console.ProgressBar1->value(), 100);
    QVERIFY(!console.tab->isUploading());
}

void TestLanTab::uploadWithoutAddress() {
    writeImage();
    Console console;
    QCOMPARE(console.Schrankip->displayText(), QStringLiteral("   .   .   .   "));
    MessageBoxCatcher catcher;
    console.tab->Button2Click();
    QCOMPARE(catcher.texts, QStringList{"Kein Schrank ausgewählt"});
    QCOMPARE(console.ProgressBar1->value(), 100);
    QVERIFY(!console.tab->isUploading());
}

void TestLanTab::uploadWithoutImage() {
    QFile::remove(programDir_.filePath(QStringLiteral("MPFSImg2.bin")));
    Console console;
    console.Schrankip->setText(QStringLiteral("127.0.0.1"));
    console.ProgressBar1->setValue(100);
    try {
        console.tab->Button2Click();
        QFAIL("no error for a missing image");
    } catch (const kd::Error& e) {
        const QString path = kd::programDirectory() + QStringLiteral("MPFSImg2.bin");
        QVERIFY2(e.message().startsWith(
                     QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(path)),
                 qPrintable(e.message()));
    }
    QCOMPARE(console.ProgressBar1->value(), 0);
    QVERIFY(!console.tab->isUploading());
}

void TestLanTab::addressLabelOpensWebPage() {
    Console console;
    console.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console.window));
    QTest::mouseClick(console.IP_Label, Qt::LeftButton);
    console.IP_Label->setText(QStringLiteral("192.168.1.20"));
    QTest::mouseClick(console.IP_Label, Qt::LeftButton);
    QCOMPARE(opened_,
             (QStringList{"http://www.kwb-trockenschrank.example", "http://192.168.1.20"}));
}

QTEST_MAIN(TestLanTab)
#include "test_lantab.moc"
