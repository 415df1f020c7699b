// libFuzzer target: the cabinet reply decoder over arbitrary replies. The
// first two input bytes pick the firmware version the decoder compares with
// (major, minor); the rest is the reply, cut or zero-padded to 64 bytes as
// the HID layer hands it over. A crash, a sanitizer report or an exception
// is a finding.

#include "cabinetprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kd::protocol::FirmwareVersion firmware;
    if (size >= 2) {
        firmware.major = data[0];
        firmware.minor = data[1];
        data += 2;
        size -= 2;
    }
    QByteArray reply(reinterpret_cast<const char*>(data), qsizetype(size < 64 ? size : 64));
    reply.append(QByteArray(64 - reply.size(), '\0'));
    const auto decoded = kd::protocol::decodeReply(reply, firmware);
    (void)decoded;
    return 0;
}
