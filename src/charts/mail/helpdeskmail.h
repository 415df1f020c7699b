#pragma once

#include <QString>

namespace kd::mail {

/// The help desk's mailbox; the one place that names it.
inline constexpr char kHelpdeskAddress[] = "helpdesk@kwb-service.example";
inline constexpr char kHelpdeskName[] = "KWB Helpdesk";
inline constexpr char kSubject[] = "KR7630-48 - Hilfe";

/// Result codes of a mail hand-over: the Simple MAPI codes, and one of ours
/// for a mail system that cannot be loaded or started at all.
enum MailResult : int {
    kSuccess = 0,
    kUserAbort = 1,
    kFailure = 2,
    kLoginFailure = 3,
    kInsufficientMemory = 5,
    kTooManyFiles = 9,
    kTooManyRecipients = 10,
    kAttachmentNotFound = 11,
    kAttachmentOpenFailure = 12,
    kUnknownRecipient = 14,
    kBadRecipType = 15,
    kTextTooLarge = 18,
    kAmbiguousRecipient = 21,
    /// Not a MAPI code: the mail library or the mail program is missing.
    /// (Reporting this as "the user canceled" would blame the user for a
    /// missing installation.)
    kMailSystemUnavailable = 1000,
};

/// One message with one recipient and one attachment.
struct MailMessage {
    QString subject;
    QString body;
    /// Plain e-mail address, without any "SMTP:" prefix.
    QString recipientAddress;
    QString recipientName;
    /// Full path of the attachment.
    QString attachment;
};

/// Creates a new, empty file "KWB<hex>.tmp" in the user's temporary folder and
/// returns its full name. The name was not in use: the file is created
/// exclusively, so two calls never return the same name while the files stay.
/// Throws std::runtime_error when no file can be created.
QString MakeTempFileName();

/// "Erbitte um Hilfe bei meinem Schrank:" followed directly by the caption.
QString mailBody(const QString& cabinetNumberCaption);

/// Hands the file to the mail system addressed to one recipient. Returns the
/// text to show the user, empty when there is nothing to report: the
/// not-found text when the file does not exist (the mail system is not called
/// then), else the text of the result code. Blocks until the mail system
/// returns. GUI thread.
QString SendFileByMail(const QString& fileName, const QString& subject, const QString& body,
                       const QString& recipientAddress, const QString& recipientName);

/// The text of a result code: the MAPI texts for the codes that have one, a
/// text naming the code for any other failure, empty for success only.
QString mailErrorText(int code);

/// The text of the failure box: the fixed sentence, LF CR twice, "Meldung:",
/// LF CR, then the error text.
QString failureMessage(const QString& errorText);

/// The platform's hand-over to the mail system (Simple MAPI on Windows, the
/// desktop's xdg-email elsewhere). Returns a MailResult code.
int sendMailPlatform(const MailMessage& message);

}  // namespace kd::mail
