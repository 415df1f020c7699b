// Median time to decode each reply kind, in microseconds per reply.

#include "cabinetprotocol.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

// Keeps the decoding from being optimised away.
std::size_t g_decoded = 0;

namespace {

double medianMicros(const QByteArray& reply, int rounds, int perRound) {
    std::vector<double> samples;
    std::size_t sink = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            sink += kd::protocol::decodeReply(reply, {1, 4}).index();
        samples.push_back(timer.nsecsElapsed() / 1000.0 / perRound);
    }
    std::sort(samples.begin(), samples.end());
    g_decoded += sink;
    return samples[samples.size() / 2];
}

}  // namespace

int main() {
    QByteArray reply(kd::protocol::ReplyLength, '\0');
    for (char& b : reply)
        b = char(QRandomGenerator::global()->bounded(256));
    for (char code : {'v', '@', 'u', ':', '3', 'x'}) {
        reply[0] = code;
        if (code == ':')
            reply[1] = char(255);
        std::printf("decode '%c' reply: median %.2f us\n", code, medianMicros(reply, 31, 2000));
    }
    return 0;
}
