#pragma once

#include <QByteArray>
#include <QString>

namespace kd::lan {

/// The cabinet model every controller names at the start of its discovery answer.
inline constexpr char kCabinetModel[] = "KD7634";
/// UDP port on which controllers listen for discovery requests.
inline constexpr quint16 kDiscoveryPort = 30303;
/// Largest discovery answer read from the socket; longer datagrams are cut.
inline constexpr int kMaxAnswerBytes = 8192;

/// The discovery request: the 28 ASCII bytes "Discovery: Who is out there?",
/// without terminator or line end.
QByteArray discoveryRequest();

/// A discovery answer as the console reads it. Bytes are taken as 8-bit
/// characters (Latin-1), so any byte value maps to exactly one character.
struct DiscoveryAnswer {
    /// The text of the whole datagram.
    QString text;
    /// Characters 1 to 6, or the whole text when it is shorter.
    QString model;
    /// Characters 7 up to the last but one, with leading and trailing blanks
    /// and control characters removed; empty when there are none.
    QString remainder;
    /// True when the model is exactly "KD7634" (case-sensitive).
    bool isCabinet = false;
};

/// Splits one received datagram into model and remainder. Pure; never fails.
DiscoveryAnswer parseDiscoveryAnswer(const QByteArray& datagram);

/// The log line for a received answer: "Received: " + text + sender address,
/// with no separator.
QString receivedLogLine(const DiscoveryAnswer& answer, const QString& senderAddress);

/// The entry of the cabinet list: sender address, " - ", remainder.
QString cabinetListEntry(const QString& senderAddress, const DiscoveryAnswer& answer);

/// The cabinet address of a list entry: the characters before its first
/// blank, or the whole entry when it has none.
QString addressOfListEntry(const QString& entry);

}  // namespace kd::lan
