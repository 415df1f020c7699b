#include "reportchannel.h"
#include "reportpump.h"

#include <QSignalSpy>
#include <QTest>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using kd::hid::InputReport;
using kd::hid::ReportChannel;
using kd::hid::ReportPump;

namespace {

// A channel the test fills: reports as a device would deliver them.
class ScriptedChannel : public ReportChannel {
public:
    bool open() override { return true; }
    void close() override {}
    bool numberedReports() const override { return numbered; }
    bool write(const QByteArray&) override { return true; }

    ReadResult read(int timeoutMs) override {
        std::unique_lock lock(mutex);
        cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue.empty(); });
        ++reads;
        if (queue.empty()) {
            return QByteArray();
        }
        const auto [failed, bytes] = queue.front();
        queue.pop_front();
        return failed ? ReadResult() : ReadResult(bytes);
    }

    void push(const QByteArray& report) { enqueue(false, report); }
    void pushFailure() { enqueue(true, QByteArray()); }

    void enqueue(bool failed, const QByteArray& bytes) {
        {
            std::lock_guard lock(mutex);
            queue.emplace_back(failed, bytes);
        }
        cv.notify_all();
    }

    size_t left() {
        std::lock_guard lock(mutex);
        return queue.size();
    }

    bool numbered = false;
    std::atomic<int> reads{0};
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::pair<bool, QByteArray>> queue;
};

QByteArray numberedReply(int i) {
    QByteArray r(64, '\0');
    r[0] = 'v';
    r[1] = char(i & 0xFF);
    r[2] = char(i >> 8);
    return r;
}

// Like the program's application object: an exception that leaves a
// handler ends that handler only.
class GuardedApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception&) {
            ++caught;
            return false;
        }
    }
    static inline int caught = 0;
};

// Polls a condition without running the event loop, for states in which
// the event loop must not deliver anything yet.
template <typename Pred>
bool waitWithoutEvents(Pred pred) {
    QDeadlineTimer deadline(5000);
    while (!pred()) {
        if (deadline.hasExpired()) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

}  // namespace

class TestReportPump : public QObject {
    Q_OBJECT
private slots:
    void deliversAllInOrderOneAtATime();
    void failedReadsDoNotStopTheReader();
    void stopWhileHandOffPendingDeliversNothingLater();
    void stopFromInsideDelivery();
    void throwingHandlerDoesNotStallTheReader();
};

void TestReportPump::deliversAllInOrderOneAtATime() {
    ScriptedChannel channel;
    constexpr int kCount = 500;
    QList<int> seen;
    QList<int> readAhead;
    ReportPump pump(channel, 65, [&](const InputReport& r) {
        QCOMPARE(r.data.size(), 64);
        seen.append(quint8(r.data[1]) | quint8(r.data[2]) << 8);
        // The reader must wait for this hand-off before it reads the next
        // report, so everything after this one is still in the channel.
        const int left = int(channel.left());
        if (left != kCount - seen.size()) {
            readAhead.append(seen.size());
        }
    });
    for (int i = 0; i < kCount; ++i) {
        channel.push(numberedReply(i));
    }
    // The event loop as the program runs it; the test macros' polling would
    // only measure their own pauses.
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (seen.size() == kCount)
            loop.quit();
    });
    check.start(0);
    pump.start();
    loop.exec();
    QCOMPARE(seen.size(), kCount);
    pump.stop();
    QCOMPARE(readAhead, QList<int>());
    for (int i = 0; i < kCount; ++i) {
        QCOMPARE(seen[i], i);
    }
}

void TestReportPump::failedReadsDoNotStopTheReader() {
    ScriptedChannel channel;
    int delivered = 0;
    ReportPump pump(channel, 65, [&](const InputReport&) { ++delivered; });
    channel.pushFailure();
    channel.push(numberedReply(1));
    channel.pushFailure();
    channel.push(numberedReply(2));
    pump.start();
    QTRY_COMPARE(delivered, 2);
}

void TestReportPump::stopWhileHandOffPendingDeliversNothingLater() {
    // The reader has read a report and waits for this thread; this thread
    // stops the pump before it handled the hand-off. stop() must return and
    // the queued hand-off must not run afterwards.
    ScriptedChannel channel;
    int delivered = 0;
    ReportPump pump(channel, 65, [&](const InputReport&) { ++delivered; });
    channel.push(numberedReply(1));
    channel.push(numberedReply(2));
    pump.start();
    // First report read and handed over; the reader now waits for this
    // thread, which must not run its event loop meanwhile.
    QVERIFY(waitWithoutEvents([&] { return channel.left() == 1 && channel.reads >= 1; }));
    pump.stop();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(delivered, 0);
    QCOMPARE(channel.left(), size_t(1));

    // A restart reads on from where the device is.
    pump.start();
    QTRY_COMPARE(delivered, 1);
    pump.stop();
}

void TestReportPump::stopFromInsideDelivery() {
    ScriptedChannel channel;
    int delivered = 0;
    ReportPump* self = nullptr;
    ReportPump pump(channel, 65, [&](const InputReport&) {
        ++delivered;
        self->stop();
    });
    self = &pump;
    for (int i = 0; i < 5; ++i) {
        channel.push(numberedReply(i));
    }
    pump.start();
    QTRY_VERIFY(!pump.isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(delivered, 1);
}

void TestReportPump::throwingHandlerDoesNotStallTheReader() {
    // A decoder failure ends that report's handling; the reader must go on
    // with the next one instead of waiting for a hand-off that never ends.
    ScriptedChannel channel;
    QList<int> seen;
    ReportPump pump(channel, 65, [&](const InputReport& r) {
        seen.append(quint8(r.data[1]));
        if (seen.size() == 1) {
            throw std::runtime_error("decoder failure");
        }
    });
    channel.push(numberedReply(7));
    channel.push(numberedReply(8));
    const int caughtBefore = GuardedApplication::caught;
    pump.start();
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(seen, (QList<int>{7, 8}));
    QCOMPARE(GuardedApplication::caught, caughtBefore + 1);
}

int main(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    TestReportPump test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_hid_pump.moc"
