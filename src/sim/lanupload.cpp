#include "lanupload.h"

#include <QList>

namespace kd::sim {

namespace {
MpfsUploadCheck rejected(const char* reason) {
    MpfsUploadCheck check;
    check.reason = QString::fromLatin1(reason);
    return check;
}

// The value of `key="..."` inside a Content-Disposition line; null when absent.
QByteArray quotedParameter(const QByteArray& line, const QByteArray& key) {
    const QByteArray marker = key + "=\"";
    qsizetype at = 0;
    while ((at = line.indexOf(marker, at)) >= 0) {
        // A whole parameter only: "filename" must not match inside another name.
        if (at == 0 || line.at(at - 1) == ' ' || line.at(at - 1) == ';') {
            const qsizetype begin = at + marker.size();
            const qsizetype end = line.indexOf('"', begin);
            if (end < 0)
                return {};
            // An empty value is still a value: "" differs from a missing parameter.
            QByteArray value = line.mid(begin, end - begin);
            return value.isNull() ? QByteArray("", 0) : value;
        }
        at += marker.size();
    }
    return {};
}
}  // namespace

MpfsUploadCheck checkMpfsUpload(const QByteArray& contentType, const QByteArray& body) {
    const QByteArray type = contentType.trimmed();
    if (!type.toLower().startsWith("multipart/form-data"))
        return rejected("content type is not multipart/form-data");
    const qsizetype boundaryAt = type.toLower().indexOf("boundary=");
    if (boundaryAt < 0)
        return rejected("no boundary in the content type");
    QByteArray boundary = type.mid(boundaryAt + 9);
    const qsizetype semicolon = boundary.indexOf(';');
    if (semicolon >= 0)
        boundary.truncate(semicolon);
    boundary = boundary.trimmed();
    if (boundary.size() >= 2 && boundary.startsWith('"') && boundary.endsWith('"'))
        boundary = boundary.mid(1, boundary.size() - 2);
    if (boundary.isEmpty() || boundary.size() > 70)
        return rejected("bad boundary");

    const QByteArray delimiter = "--" + boundary;
    // The first delimiter opens the body or follows a line end (a preamble is allowed).
    qsizetype partStart;
    if (body.startsWith(delimiter + "\r\n")) {
        partStart = delimiter.size() + 2;
    } else {
        const qsizetype at = body.indexOf("\r\n" + delimiter + "\r\n");
        if (at < 0)
            return rejected("no opening boundary");
        partStart = at + 2 + delimiter.size() + 2;
    }
    const qsizetype headersEnd = body.indexOf("\r\n\r\n", partStart);
    if (headersEnd < 0)
        return rejected("part headers do not end");
    const QList<QByteArray> headerLines = body.mid(partStart, headersEnd - partStart).split('\n');

    MpfsUploadCheck check;
    bool haveField = false;
    for (QByteArray line : headerLines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.toLower().startsWith("content-disposition:"))
            continue;
        const QByteArray value = line.mid(20).trimmed();
        if (!value.toLower().startsWith("form-data"))
            return rejected("part is not form-data");
        if (quotedParameter(value, "name") != "/mpfsupload")
            return rejected("part is not the field /mpfsupload");
        haveField = true;
        check.fileName = quotedParameter(value, "filename");
    }
    if (!haveField)
        return rejected("part has no Content-Disposition");
    if (check.fileName.isNull())
        return rejected("part has no file name");

    const qsizetype dataStart = headersEnd + 4;
    const qsizetype dataEnd = body.indexOf("\r\n" + delimiter, dataStart);
    if (dataEnd < 0)
        return rejected("no closing boundary");
    if (body.mid(dataEnd + 2 + delimiter.size(), 2) != "--")
        return rejected("more than one part");
    check.image = body.mid(dataStart, dataEnd - dataStart);
    if (!check.image.startsWith("MPFS"))
        return rejected("file is not an MPFS image");
    check.ok = true;
    return check;
}

}  // namespace kd::sim
