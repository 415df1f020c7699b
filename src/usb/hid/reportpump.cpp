#include "reportpump.h"

#include "reportchannel.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kd::hid {

// State of one run of the reader, shared with the hand-offs it posted so a
// late hand-off of a stopped run finds its flags and does nothing.
struct ReportPump::Shared {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable handled;
    bool pending = false;
};

ReportPump::ReportPump(ReportChannel& channel, int inputLength, Deliver deliver, QObject* parent)
    : QObject(parent), channel_(channel), inputLength_(inputLength), deliver_(std::move(deliver)) {}

ReportPump::~ReportPump() {
    stop();
}

void ReportPump::start() {
    if (thread_.joinable()) {
        return;
    }
    shared_ = std::make_shared<Shared>();
    thread_ = std::thread([this, shared = shared_] { run(shared); });
}

void ReportPump::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stop = true;
    }
    shared_->handled.notify_all();
    channel_.wakeReader();
    thread_.join();
    shared_.reset();
}

void ReportPump::run(std::shared_ptr<Shared> shared) {
    while (!shared->stop) {
        const ReportChannel::ReadResult result = channel_.read(kReadTimeoutMs);
        if (!result) {
            // A device that is going away fails every read until its removal
            // arrives; wait a little instead of spinning.
            std::unique_lock lock(shared->mutex);
            shared->handled.wait_for(lock, std::chrono::milliseconds(kReadTimeoutMs),
                                     [&] { return shared->stop.load(); });
            continue;
        }
        if (result->isEmpty()) {
            continue;
        }
        const InputReport report =
            normaliseInputReport(*result, channel_.numberedReports(), inputLength_);
        {
            std::lock_guard lock(shared->mutex);
            if (shared->stop) {
                break;
            }
            shared->pending = true;
        }
        // Queued onto the owner thread, where the handler may touch widgets;
        // the reader then blocks below like a blocking-queued call, but the
        // wait also ends on stop, so stop() from the owner thread cannot
        // deadlock against it.
        QMetaObject::invokeMethod(
            this,
            [this, shared, report] {
                if (shared->stop) {
                    return;
                }
                struct Done {
                    Shared& s;
                    ~Done() {
                        {
                            std::lock_guard lock(s.mutex);
                            s.pending = false;
                        }
                        s.handled.notify_all();
                    }
                } done{*shared};
                deliver_(report);
            },
            Qt::QueuedConnection);
        std::unique_lock lock(shared->mutex);
        shared->handled.wait(lock, [&] { return !shared->pending || shared->stop; });
    }
}

}  // namespace kd::hid
