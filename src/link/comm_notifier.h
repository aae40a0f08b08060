// The component's hidden receiver on the owner's thread. The reader and writer threads
// post messages 1025..1029 to it; each message owns its data block, which is freed after
// the event has run (or when the message is dropped), whether or not a handler is bound.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

namespace lgcset::link {

class TComm;

enum class CommMessage : int {
    ReceiveData = 1025,       // reader: byte count and block -> OnReceiveData
    ReceiveError = 1026,      // reader: line error flags -> OnReceiveError
    RequestHangup = 1027,     // reader or writer -> OnRequestHangup
    ModemStateChange = 1028,  // reader: modem bits -> OnModemStateChange
    SendDataEmpty = 1029,     // writer -> OnSendDataEmpty
};

class CommNotifier : public QObject {
  public:
    explicit CommNotifier(TComm* owner);
    ~CommNotifier() override;

    // Thread side. Posting only; nothing else of the Qt object is touched off its thread.
    void PostReceiveData(const std::uint8_t* bytes, std::uint16_t count);
    void PostReceiveError(std::uint32_t flags);
    void PostModemStateChange(std::uint32_t bits);
    void PostSendDataEmpty();
    // Posts 1027 at most once per open session, whichever thread notices first. The
    // request belongs to its session: once the owner has closed that session it asks for
    // nothing and is dropped, so it can never end a session opened after it.
    void PostRequestHangup();

    // Owner side: a session runs from an open to the close of the same port; the threads
    // run only inside one.
    void BeginSession();
    void EndSession();
    // Messages posted and not yet handled: the reader pauses when the owner falls behind.
    int Pending() const { return pending_.load(std::memory_order_relaxed); }
    // The owner is being destroyed: its pending messages are freed without running events.
    // Returns true when the notifier deletes itself later: an event of it is running, and it
    // goes once the outermost of those has returned.
    bool Detach();

  protected:
    bool event(QEvent* event) override;

  private:
    void Post(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
              std::uint32_t value);
    void Dispatch(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
                  std::uint32_t value);

    TComm* owner_;
    int dispatchDepth_ = 0;
    // Counts posted messages. Its read-modify-writes also order the poster's writes before
    // the handler's reads for ThreadSanitizer, which cannot see inside Qt's event queue.
    std::atomic<int> pending_{0};
    std::atomic<bool> hangupPosted_{false};
    // Odd while a session is open; changed by the owner only while no thread runs.
    std::atomic<std::uint32_t> session_{0};
};

}  // namespace lgcset::link
