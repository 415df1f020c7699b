#include "helpdeskmail.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace kd::mail {

QString MakeTempFileName() {
    const QString folder = QDir::tempPath();
    // Never fall back to the working folder: the name must be in the
    // temporary folder or there is no name.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw std::runtime_error(QStringLiteral("The temporary folder \"%1\" does not exist.")
                                     .arg(folder)
                                     .toStdString());
    // A four-digit hex number as the system's unique temporary names have,
    // seeded from the clock and counted on until a free name is found.
    quint32 unique = quint32(QDateTime::currentMSecsSinceEpoch()) & 0xFFFFu;
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        unique = (unique + 1) & 0xFFFFu;
        if (unique == 0)
            continue;
        const QString name = QDir(folder).filePath(
            QStringLiteral("KWB") + QString::number(unique, 16).toUpper() + QStringLiteral(".tmp"));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath());
        if (!file.exists())
            throw std::runtime_error(
                QStringLiteral("No temporary file can be created in \"%1\": %2")
                    .arg(folder, file.errorString())
                    .toStdString());
    }
    throw std::runtime_error(
        QStringLiteral("No free temporary file name is left in \"%1\".").arg(folder).toStdString());
}

QString mailBody(const QString& cabinetNumberCaption) {
    return QStringLiteral("Erbitte um Hilfe bei meinem Schrank:") + cabinetNumberCaption;
}

QString mailErrorText(int code) {
    switch (code) {
        case kUserAbort:
            return QStringLiteral("The user canceled one of the dialog boxes!");
        case kFailure:
            return QStringLiteral("One or more unspecified errors occurred!");
        case kLoginFailure:
            return QStringLiteral(
                "There was no default logon, and the user failed to log on successfully when the "
                "logon dialog box was displayed!");
        case kInsufficientMemory:
            return QStringLiteral("There was insufficient memory to proceed!");
        case kTooManyFiles:
            return QStringLiteral("There were too many file attachments!");
        case kTooManyRecipients:
            return QStringLiteral("There were too many recipients!");
        case kAttachmentNotFound:
            return QStringLiteral("The specified attachment was not found!");
        case kAttachmentOpenFailure:
            return QStringLiteral("The specified attachment could not be open!");
        case kUnknownRecipient:
            return QStringLiteral("A recipient did not appear in the address list!");
        case kBadRecipType:
            return QStringLiteral("The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC!");
        case kTextTooLarge:
            return QStringLiteral("The text in the message was too large to sent!");
        case kAmbiguousRecipient:
            return QStringLiteral(
                "A recipient matched more than one of the recipient descriptor structures and "
                "MAPI_DIALOG was not set!");
        case kMailSystemUnavailable:
            return QStringLiteral("No mail program could be loaded or started!");
        case kSuccess:
            return {};
        default:
            // Any other failure (a full disk, refused access, ...) is still a
            // mail that did not go out; saying nothing would look like success.
            return QStringLiteral("The mail could not be sent (error %1)!").arg(code);
    }
}

QString SendFileByMail(const QString& fileName, const QString& subject, const QString& body,
                       const QString& recipientAddress, const QString& recipientName) {
    if (!QFileInfo::exists(fileName))
        return QStringLiteral("File \"") + fileName + QStringLiteral("\" not found!");
    MailMessage m;
    m.subject = subject;
    m.body = body;
    m.recipientAddress = recipientAddress;
    m.recipientName = recipientName;
    m.attachment = fileName;
    return mailErrorText(sendMailPlatform(m));
}

QString failureMessage(const QString& errorText) {
    const QString lfcr = QStringLiteral("\n\r");
    return QStringLiteral("Die Datei konnte nicht per E-Mail versendet werden!") + lfcr + lfcr +
           QStringLiteral("Meldung:") + lfcr + errorText;
}

}  // namespace kd::mail
