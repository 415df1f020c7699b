#include "mpfsupload.h"

#include <QFile>

namespace kd::lan {

QByteArray uploadBoundary(const QDateTime& localTime) {
    // "HH" keeps the hour in 24-hour form whatever the locale says.
    return QByteArray(27, '-') + localTime.toString(QStringLiteral("MMddyyHHmmsszzz")).toLatin1();
}

QByteArray uploadBody(const QByteArray& boundary, const QString& filePath,
                      const QByteArray& fileBytes) {
    QByteArray body;
    body.reserve(fileBytes.size() + 2 * boundary.size() + filePath.size() + 128);
    body += "\r\n--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"";
    body += kUploadPath;
    body += "\"; filename=\"" + filePath.toLocal8Bit() + "\"\r\n";
    body += "Content-Type: \r\n\r\n";
    body += fileBytes;
    body += "\r\n--" + boundary + "--\r\n";
    return body;
}

QList<HeaderField> uploadHeaders(const QByteArray& boundary, qint64 bodyLength) {
    return {
        {"Content-Type", "multipart/form-data; boundary=" + boundary},
        {"Accept", "text/html, */*"},
        {"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"},
        {"Content-Length", QByteArray::number(bodyLength)},
    };
}

bool isEmptyAddressField(const QString& shownText) {
    return shownText == QLatin1String(kEmptyAddressText);
}

QString addressFromField(const QString& shownText) {
    QString address = shownText;
    address.remove(QLatin1Char(' '));
    return address;
}

QString uploadUrl(const QString& address) {
    return QStringLiteral("http://") + address + QLatin1String(kUploadPath);
}

QString fileOpenErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, reason);
}

bool readImageFile(const QString& path, QByteArray* bytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = fileOpenErrorText(path, file.errorString());
        return false;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = fileOpenErrorText(path, file.errorString());
        return false;
    }
    *bytes = std::move(content);
    return true;
}

}  // namespace kd::lan
