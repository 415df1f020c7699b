#pragma once

#include "reportformat.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

namespace kd::hid {

class ReportChannel;

/// The reader of one bound device: a thread that reads input reports from a
/// channel and hands each to the thread that owns the pump (the GUI thread),
/// waiting until it was handled before it reads on. Reports are therefore
/// handled one at a time, in arrival order, and none is dropped while the
/// pump runs. stop() never deadlocks against a reader waiting for the owner
/// thread, and no delivery runs after stop() returned.
class ReportPump : public QObject {
    Q_OBJECT
public:
    using Deliver = std::function<void(const InputReport&)>;

    /// channel must outlive the pump's running time; inputLength counts the
    /// report id byte. Create on the owner thread.
    ReportPump(ReportChannel& channel, int inputLength, Deliver deliver, QObject* parent = nullptr);
    ~ReportPump() override;

    /// Starts the reader thread; no effect while running. Owner thread.
    void start();
    /// Stops and joins the reader; pending hand-offs are dropped. Safe to
    /// call again, and from inside a delivery. Owner thread.
    void stop();
    bool isRunning() const { return thread_.joinable(); }

    /// How long one read waits before the stop flag is checked again.
    static constexpr int kReadTimeoutMs = 50;

private:
    struct Shared;
    void run(std::shared_ptr<Shared> shared);

    ReportChannel& channel_;
    int inputLength_;
    Deliver deliver_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace kd::hid
