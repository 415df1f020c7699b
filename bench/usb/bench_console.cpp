// Median time for the console to handle one live-values reply (decode, the
// message list, LED displays, labels), in microseconds. Runs offscreen.

#include "hiddevice.h"
#include "schrankform.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TSchrankForm console(static_cast<kd::hid::HidDeviceController*>(nullptr), nullptr);
    console.show();
    app.processEvents();

    QByteArray reply(kd::protocol::ReplyLength, '\0');
    reply[0] = 'v';
    std::vector<double> samples;
    for (int round = 0; round < 31; ++round) {
        QElapsedTimer timer;
        timer.start();
        const int perRound = 200;
        for (int i = 0; i < perRound; ++i) {
            reply[29] = char(i);
            console.HandleReport(reply);
        }
        app.processEvents();
        samples.push_back(timer.nsecsElapsed() / 1000.0 / perRound);
    }
    std::sort(samples.begin(), samples.end());
    std::printf("console handles 'v' reply: median %.1f us\n", samples[samples.size() / 2]);
    return 0;
}
