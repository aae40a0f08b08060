// The component's receiver of its threads' messages. The reader and writer threads post
// messages 1025..1029 through the owner's sink; each message owns its data block, which is
// freed after the event has run (or when the sink drops it), whether or not a handler is
// bound. The events hold the notifier, so it outlives its component while any is queued.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "link/comm_event_sink.h"

namespace lgcset::link {

class TComm;

class CommNotifier final : public CommEventTarget,
                           public std::enable_shared_from_this<CommNotifier> {
  public:
    CommNotifier(TComm* owner, CommEventSink& sink);

    // Thread side. Posting only; nothing else is touched off the owner's thread.
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
    // The owner is being destroyed: its messages still queued deliver nothing.
    void Detach() { owner_ = nullptr; }

    // On the owner's thread.
    void Deliver(const CommEvent& event) override;

  private:
    void Post(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
              std::uint32_t value);

    TComm* owner_;
    CommEventSink& sink_;
    // Messages posted and not yet delivered.
    std::atomic<int> pending_{0};
    std::atomic<bool> hangupPosted_{false};
    // Odd while a session is open; changed by the owner only while no thread runs.
    std::atomic<std::uint32_t> session_{0};
};

}  // namespace lgcset::link
