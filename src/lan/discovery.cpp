#include "discovery.h"

namespace kd::lan {

namespace {
// Blanks and control characters, as the controller's line end and padding use them.
bool isBlankOrControl(QChar c) {
    return c.unicode() <= 0x20;
}

QString trimBlanksAndControls(QString s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlankOrControl(s.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}
}  // namespace

QByteArray discoveryRequest() {
    return QByteArrayLiteral("Discovery: Who is out there?");
}

DiscoveryAnswer parseDiscoveryAnswer(const QByteArray& datagram) {
    DiscoveryAnswer answer;
    answer.text = QString::fromLatin1(datagram);
    const qsizetype modelLength = sizeof(kCabinetModel) - 1;
    answer.model = answer.text.left(modelLength);
    // The controller ends its answer with one character that is not part of
    // the name (its line end); everything between the model and it is the name.
    if (answer.text.size() > modelLength + 1)
        answer.remainder = trimBlanksAndControls(
            answer.text.mid(modelLength, answer.text.size() - modelLength - 1));
    answer.isCabinet = answer.model == QLatin1String(kCabinetModel);
    return answer;
}

QString receivedLogLine(const DiscoveryAnswer& answer, const QString& senderAddress) {
    return QStringLiteral("Received: ") + answer.text + senderAddress;
}

QString cabinetListEntry(const QString& senderAddress, const DiscoveryAnswer& answer) {
    return senderAddress + QStringLiteral(" - ") + answer.remainder;
}

QString addressOfListEntry(const QString& entry) {
    const qsizetype blank = entry.indexOf(QLatin1Char(' '));
    return blank < 0 ? entry : entry.left(blank);
}

}  // namespace kd::lan
