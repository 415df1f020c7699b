#include "imageuploader.h"

#include "mpfsupload.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace kd::lan {

ImageUploader::ImageUploader(QObject* parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this)) {
    manager_->setProxy(QNetworkProxy::NoProxy);
}

ImageUploader::~ImageUploader() {
    if (reply_) {
        // Destroying the manager aborts the exchange; nobody waits for the result.
        disconnect(reply_, nullptr, this, nullptr);
        reply_->abort();
    }
}

bool ImageUploader::start(const QString& url, const QByteArray& boundary, const QByteArray& body) {
    if (reply_)
        return false;
    const QUrl target(url);
    if (!target.isValid() || target.host().isEmpty()) {
        // Reported like every other failure: from the event loop, after start() returned.
        QMetaObject::invokeMethod(
            this,
            [this, url] {
                emit finished(false, QStringLiteral("ungültige Adresse \"%1\"").arg(url));
            },
            Qt::QueuedConnection);
        return true;
    }
    QNetworkRequest request{target};
    for (const auto& [name, value] : uploadHeaders(boundary, body.size()))
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(inactivityTimeoutMs_);
    reply_ = manager_->post(request, body);
    connect(reply_, &QNetworkReply::finished, this, &ImageUploader::replyFinished);
    return true;
}

void ImageUploader::replyFinished() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();

    bool ok = false;
    QString error;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Qt reports an inactivity abort as "cancelled"; say what happened.
        error = QStringLiteral("Zeitüberschreitung, der Schrank antwortet nicht");
    } else if (reply->error() != QNetworkReply::NoError) {
        error = reply->errorString();
    } else if (!status.isValid()) {
        error = QStringLiteral("keine Antwort vom Schrank");
    } else if (const int code = status.toInt(); code < 200 || code > 299) {
        // Redirects are not followed: the controller's handler answers itself.
        error = QStringLiteral("HTTP %1 %2")
                    .arg(code)
                    .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    } else {
        ok = true;
    }
    emit finished(ok, error.trimmed());
}

}  // namespace kd::lan
