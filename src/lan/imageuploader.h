#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace kd::lan {

/// Sends the web-image upload as one HTTP POST and reports how it ended.
/// Runs on the GUI thread without blocking it: start() returns at once and
/// finished() follows from the event loop. One upload at a time. Never opens
/// dialogs; the caller tells the user.
class ImageUploader : public QObject {
    Q_OBJECT
public:
    explicit ImageUploader(QObject* parent = nullptr);
    ~ImageUploader() override;

    /// Aborts an upload in which nothing moved for `ms` milliseconds; 0 waits
    /// without limit. Applies to uploads started afterwards.
    void setInactivityTimeout(int ms) { inactivityTimeoutMs_ = ms; }

    /// True from start() until finished() was emitted.
    bool isBusy() const { return reply_ != nullptr; }

    /// Starts the POST of `body` to `url` with the multipart headers for
    /// `boundary`. No proxy, no authentication, redirects are not followed.
    /// A `url` that is no valid web address ends the upload at once: finished()
    /// follows from the event loop. Returns false and does nothing while
    /// another upload runs.
    bool start(const QString& url, const QByteArray& boundary, const QByteArray& body);

signals:
    /// The exchange ended. `ok` is true only for a 2xx reply; otherwise
    /// `error` says why (connection refused, broken off, time-out, an error
    /// or redirect status). The reply text is not kept.
    void finished(bool ok, const QString& error);

private:
    void replyFinished();

    QNetworkAccessManager* manager_;
    QNetworkReply* reply_ = nullptr;
    int inactivityTimeoutMs_ = 0;
};

}  // namespace kd::lan
