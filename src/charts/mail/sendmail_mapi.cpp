// The workstation's default mail client through Simple MAPI (Windows).

#include "helpdeskmail.h"

#include <windows.h>

#include <mapi.h>

namespace kd::mail {

namespace {
// The mail library is loaded on first use and kept for the run.
LPMAPISENDMAIL loadSendMail() {
    static HMODULE library = LoadLibraryW(L"MAPI32.DLL");
    if (!library)
        return nullptr;
    static auto send = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(library, "MAPISendMail"));
    return send;
}
}  // namespace

int sendMailPlatform(const MailMessage& message) {
    LPMAPISENDMAIL send = loadSendMail();
    if (!send)
        return kMailSystemUnavailable;

    // Simple MAPI takes 8-bit strings in the system code page.
    QByteArray subject = message.subject.toLocal8Bit();
    QByteArray body = message.body.toLocal8Bit();
    QByteArray name = message.recipientName.toLocal8Bit();
    QByteArray address = (QStringLiteral("SMTP:") + message.recipientAddress).toLocal8Bit();
    QByteArray path = message.attachment.toLocal8Bit();

    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = name.data();
    recipient.lpszAddress = address.data();

    MapiFileDesc file{};
    file.flFlags = 0;
    file.nPosition = 0;
    file.lpszPathName = path.data();
    file.lpszFileName = nullptr;
    file.lpFileType = nullptr;

    MapiMessage mail{};
    mail.lpszSubject = subject.data();
    mail.lpszNoteText = body.data();
    mail.nRecipCount = 1;
    mail.lpRecips = &recipient;
    mail.nFileCount = 1;
    mail.lpFiles = &file;

    return int(send(0, 0, &mail, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0));
}

}  // namespace kd::mail
