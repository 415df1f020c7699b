#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

namespace kd::lan {

/// The web-page image that "MPFS-Update" sends, looked up in the program directory.
inline constexpr char kImageFileName[] = "MPFSImg2.bin";
/// Path of the controller's upload handler; also the form field name of the file part.
inline constexpr char kUploadPath[] = "/mpfsupload";
/// What the cabinet address field shows when nothing was entered.
inline constexpr char kEmptyAddressText[] = "   .   .   .   ";

/// One header line of the upload request: name and value, without CR LF.
using HeaderField = std::pair<QByteArray, QByteArray>;

/// The multipart boundary for an upload started at `localTime`: 27 hyphens and
/// the time written "mmddyyhhnnsszzz" (month, day, two-digit year, 24-hour
/// hour, minutes, seconds, milliseconds), 42 characters in all.
QByteArray uploadBoundary(const QDateTime& localTime);

/// The request body, byte for byte: CR LF, "--" boundary CR LF, the part
/// header naming the field "/mpfsupload" and `filePath` as the file name (in
/// the local 8-bit encoding), an empty part content type, a blank line, the
/// file bytes unchanged, then CR LF "--" boundary "--" CR LF.
QByteArray uploadBody(const QByteArray& boundary, const QString& filePath,
                      const QByteArray& fileBytes);

/// The request's own header fields, in this order: Content-Type (multipart
/// with the boundary), Accept, User-Agent, Content-Length (`bodyLength` bytes).
QList<HeaderField> uploadHeaders(const QByteArray& boundary, qint64 bodyLength);

/// True when the address field shows its empty mask ("   .   .   .   ").
bool isEmptyAddressField(const QString& shownText);

/// The address typed into the masked field as the field shows it: the mask
/// pads parts with fewer than three digits with blanks ("192.168.1  .20 "),
/// which are no part of the address and are removed.
QString addressFromField(const QString& shownText);

/// "http://" + `address` + "/mpfsupload"; the address is used as given.
QString uploadUrl(const QString& address);

/// The error text when the image cannot be opened:
/// "Datei <path> kann nicht geöffnet werden. <reason>".
QString fileOpenErrorText(const QString& path, const QString& reason);

/// Reads the whole image file. On failure returns false and sets `error` to
/// fileOpenErrorText() with the system's reason; `bytes` is then untouched.
bool readImageFile(const QString& path, QByteArray* bytes, QString* error);

}  // namespace kd::lan
