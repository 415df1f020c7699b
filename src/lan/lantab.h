#pragma once

#include <QObject>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QAbstractButton;
class QPlainTextEdit;
class QProgressBar;
class QTextEdit;
class QTimer;
class QWidget;

namespace kd::lan {
class DiscoveryClient;
class ImageUploader;
}  // namespace kd::lan

namespace kd {

/// The behaviour of the cabinet console's "LAN" tab: cabinet discovery, the
/// web-image upload and the cabinet web page link. Finds the tab's controls in
/// `console` by object name (ComboBox1, Schrankip, Button3, Button2,
/// Netzwerksuche, ProgressBar1, HostName, UDPMemo, IP_Label) and connects
/// them; a control that is missing is left out. Owned by `console`.
/// Constructing it is the tab's part of the console's creation: HostName gets
/// the local host name, ComboBox1 the local IPv4 addresses (first selected)
/// and Timer2 starts. GUI thread only. Handlers may throw kd::Error, which
/// the default error box shows.
class LanTab : public QObject {
    Q_OBJECT
public:
    explicit LanTab(QWidget* console);
    ~LanTab() override;

    /// The local host's IPv4 addresses in dotted decimal, loopback left out,
    /// in interface order; empty when none is up.
    static QStringList GetLocalAddressList();

    /// Wait for one answer per Timer2 tick, in milliseconds.
    static constexpr int kAnswerWaitMs = 10;
    /// Default limit for an upload in which nothing moves, in milliseconds.
    static constexpr int kUploadInactivityMs = 60000;

    /// Sets the upload's inactivity limit (0: none), for uploads started later.
    void setUploadInactivityTimeout(int ms);
    /// True while an upload runs.
    bool isUploading() const;

    /// Polls the discovery socket; 1000 ms, running from construction.
    QTimer* Timer2;

public slots:
    /// "Schranksuche": clears the list and broadcasts one discovery request
    /// from the address in ComboBox1. Throws kd::Error when it cannot be sent.
    void Button3Click();
    /// Takes at most one discovery answer, waiting at most kAnswerWaitMs.
    void Timer2Timer();
    /// Copies the selected cabinet's address into Schrankip.
    void NetzwerksucheClick();
    /// "MPFS-Update": uploads MPFSImg2.bin from the program directory to the
    /// address in Schrankip. Returns while the upload runs; a failure is shown
    /// when it ends. Throws kd::Error when the image cannot be read. Ignored
    /// while an upload runs.
    void Button2Click();
    /// Opens "http://" + the caption of IP_Label in the browser.
    void IP_LabelClick();

signals:
    /// An upload ended (after ProgressBar1 went to 100 and any failure was shown).
    void uploadFinished(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendMemoLine(const QString& line);
    void setProgress(int value);
    void uploadDone(bool ok, const QString& error);

    QWidget* console_;
    QComboBox* ComboBox1;
    QLineEdit* Schrankip;
    QAbstractButton* Button3;
    QAbstractButton* Button2;
    QListWidget* Netzwerksuche;
    QProgressBar* ProgressBar1;
    QLabel* HostName;
    QPlainTextEdit* UDPMemoPlain;
    QTextEdit* UDPMemoRich;
    QLabel* IP_Label;

    lan::DiscoveryClient* UDPClient = nullptr;
    lan::ImageUploader* httpMain;
};

}  // namespace kd
