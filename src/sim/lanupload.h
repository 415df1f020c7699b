#pragma once

#include <QByteArray>
#include <QString>

namespace kd::sim {

/// What the virtual cabinet found in an image upload.
struct MpfsUploadCheck {
    bool ok = false;
    QString reason;       ///< why the upload was rejected; empty when ok
    QByteArray fileName;  ///< the part's file name as sent
    QByteArray image;     ///< the file bytes of the part
};

/// Checks an upload to "/mpfsupload" the way the controller's handler takes
/// it: `contentType` must be multipart/form-data with a boundary; the body
/// must hold a part for the field "/mpfsupload" with a file name, whose bytes
/// run up to CR LF "--" boundary "--", and the bytes must be an MPFS image
/// (they start with "MPFS"). Pure; written independently of the program's
/// request builder so that the two check each other.
MpfsUploadCheck checkMpfsUpload(const QByteArray& contentType, const QByteArray& body);

}  // namespace kd::sim
