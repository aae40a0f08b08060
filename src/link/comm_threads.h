// The reader and writer threads of an open TComm. Both talk to the owner only by posting
// to its notifier, and both end as soon as the port's close event is set.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace lgcset::link {

class CommNotifier;
class SerialDevice;

class TReadThread {
  public:
    // inputLen must not exceed inBufferSize.
    TReadThread(SerialDevice& device, CommNotifier& notifier, std::uint16_t inputLen,
                std::uint16_t inBufferSize);
    ~TReadThread();  // waits for the thread
    TReadThread(const TReadThread&) = delete;
    TReadThread& operator=(const TReadThread&) = delete;

    void Start();  // throws std::system_error when the thread cannot be created
    void Join();

  private:
    void Run();

    SerialDevice& device_;
    CommNotifier& notifier_;
    std::uint16_t inputLen_;
    std::uint16_t inBufferSize_;
    std::thread thread_;
};

class TWriteThread {
  public:
    TWriteThread(SerialDevice& device, CommNotifier& notifier);
    ~TWriteThread();  // waits for the thread
    TWriteThread(const TWriteThread&) = delete;
    TWriteThread& operator=(const TWriteThread&) = delete;

    void Start();  // throws std::system_error when the thread cannot be created
    void WaitUntilRunning() const;
    // Copies the bytes and queues them; false before the thread runs, after it ended, for
    // a count of 0, or when the queue refuses more.
    bool Queue(const std::uint8_t* data, std::uint16_t count);

  private:
    void Run();

    SerialDevice& device_;
    CommNotifier& notifier_;
    // A condition variable, not std::atomic::wait: the latter never wakes with MinGW's
    // library on Windows.
    mutable std::mutex startMutex_;
    mutable std::condition_variable startSignal_;
    bool started_ = false;
    std::atomic<bool> accepting_{false};
    std::thread thread_;
};

}  // namespace lgcset::link
