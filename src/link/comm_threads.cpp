#include "link/comm_threads.h"

#include <cstring>
#include <exception>
#include <memory>
#include <optional>

#include "link/comm_notifier.h"
#include "link/serial_device.h"

namespace lgcset::link {

namespace {

// Messages the owner has not handled yet beyond which the reader stops taking bytes from
// the driver until the owner catches up, so a fast line cannot grow the queue without end.
constexpr int kMaxPendingMessages = 1 << 16;
constexpr int kBackPressurePauseMs = 5;

// The reader runs above the writer, and both above the owner, where the system allows it.
constexpr int kReaderPrioritySteps = 2;
constexpr int kWriterPrioritySteps = 1;

}  // namespace

TReadThread::TReadThread(SerialDevice& device, CommNotifier& notifier, std::uint16_t inputLen,
                         std::uint16_t inBufferSize)
    : device_(device), notifier_(notifier), inputLen_(inputLen), inBufferSize_(inBufferSize) {}

TReadThread::~TReadThread() {
    Join();
}

void TReadThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TReadThread::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TReadThread::Run() {
    RaiseThreadPriority(kReaderPrioritySteps);
    try {
        auto buffer = std::make_unique<std::uint8_t[]>(inBufferSize_);
        for (;;) {
            if (notifier_.Pending() >= kMaxPendingMessages) {
                if (device_.WaitForClose(kBackPressurePauseMs)) {
                    break;
                }
                continue;
            }
            const ReadOutcome outcome = device_.Read(buffer.get(), inputLen_);
            switch (outcome.kind) {
                case ReadOutcome::Kind::Data:
                    notifier_.PostReceiveData(buffer.get(),
                                              static_cast<std::uint16_t>(outcome.count));
                    break;
                case ReadOutcome::Kind::LineError:
                    notifier_.PostReceiveError(outcome.flags);
                    break;
                case ReadOutcome::Kind::ModemChange:
                    notifier_.PostModemStateChange(outcome.flags);
                    break;
                case ReadOutcome::Kind::Closed:
                    return;
                case ReadOutcome::Kind::Lost:
                    notifier_.PostRequestHangup();
                    return;
            }
        }
    } catch (const std::exception&) {
        // Out of memory or out of threads: no exception may leave the thread, and the owner
        // hears of it as a line that went away.
        notifier_.PostRequestHangup();
    }
}

TWriteThread::TWriteThread(SerialDevice& device, CommNotifier& notifier)
    : device_(device), notifier_(notifier) {}

TWriteThread::~TWriteThread() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TWriteThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TWriteThread::WaitUntilRunning() const {
    std::unique_lock lock(startMutex_);
    startSignal_.wait(lock, [this] { return started_; });
}

bool TWriteThread::Queue(const std::uint8_t* data, std::uint16_t count) {
    if (count == 0 || data == nullptr || !accepting_.load(std::memory_order_acquire)) {
        return false;
    }
    WriteRequest request;
    request.count = count;
    request.block.reset(new (std::nothrow) std::uint8_t[std::size_t{count} + 1]);
    if (!request.block) {
        return false;
    }
    std::memcpy(request.block.get(), data, count);
    request.block[count] = 0;
    return device_.QueueWrite(std::move(request));
}

void TWriteThread::Run() {
    RaiseThreadPriority(kWriterPrioritySteps);
    accepting_.store(true, std::memory_order_release);
    {
        const std::lock_guard lock(startMutex_);
        started_ = true;
    }
    startSignal_.notify_all();
    try {
        bool wroteSinceIdle = true;  // so that the first empty queue is announced
        for (;;) {
            std::optional<WriteRequest> request = device_.TakeWrite();
            if (!request) {
                if (wroteSinceIdle) {
                    notifier_.PostSendDataEmpty();
                }
                wroteSinceIdle = false;
                const WriterWake wake = device_.WaitForWrite();
                if (wake == WriterWake::Closed) {
                    break;
                }
                if (wake == WriterWake::Lost) {
                    notifier_.PostRequestHangup();
                    break;
                }
                continue;
            }
            if (device_.CloseSignalled()) {
                break;
            }
            const WriteOutcome outcome = device_.WriteAll(request->block.get(), request->count);
            if (outcome == WriteOutcome::Lost) {
                notifier_.PostRequestHangup();
                break;
            }
            if (outcome == WriteOutcome::Closed) {
                break;
            }
            wroteSinceIdle = true;
        }
    } catch (const std::exception&) {
        // Out of memory or out of threads: no exception may leave the thread, and the owner
        // hears of it as a line that went away.
        notifier_.PostRequestHangup();
    }
    accepting_.store(false, std::memory_order_release);
}

}  // namespace lgcset::link
