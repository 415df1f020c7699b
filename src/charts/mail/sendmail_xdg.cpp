// The desktop's mail client through xdg-email (Linux and other Unix desktops).

#include "helpdeskmail.h"

#include <QProcess>
#include <QStandardPaths>

namespace kd::mail {

int sendMailPlatform(const MailMessage& message) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return kMailSystemUnavailable;
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("--attach"), message.attachment,
                          QStringLiteral("--subject"), message.subject, QStringLiteral("--body"),
                          message.body, message.recipientAddress});
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted())
        return kMailSystemUnavailable;
    process.closeWriteChannel();
    // The mail hand-over blocks until the client has taken the message.
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit)
        return kFailure;
    // xdg-email's exit codes, mapped to the MAPI code that means the same.
    switch (process.exitCode()) {
        case 0:
            return kSuccess;
        case 2:  // a file named on the command line does not exist
            return kAttachmentNotFound;
        case 3:  // a tool it needs (the mail client) was not found
            return kMailSystemUnavailable;
        case 5:  // no permission to read a file
            return kAttachmentOpenFailure;
        default:  // 1 syntax error, 4 the action failed, anything else
            return kFailure;
    }
}

}  // namespace kd::mail
