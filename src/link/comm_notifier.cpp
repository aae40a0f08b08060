#include "link/comm_notifier.h"

#include <cstring>

#include "link/SerialComm.h"

namespace lgcset::link {

CommNotifier::CommNotifier(TComm* owner, CommEventSink& sink) : owner_(owner), sink_(sink) {}

void CommNotifier::Post(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
                        std::uint32_t value) {
    CommEvent event;
    event.target = shared_from_this();
    event.message = message;
    if (bytes != nullptr) {
        event.block = std::make_unique<std::uint8_t[]>(std::size_t{count} + 1);  // zeroed
        std::memcpy(event.block.get(), bytes, count);
    }
    event.count = count;
    event.value = value;
    pending_.fetch_add(1, std::memory_order_acq_rel);
    sink_.Post(std::move(event));
}

void CommNotifier::PostReceiveData(const std::uint8_t* bytes, std::uint16_t count) {
    Post(CommMessage::ReceiveData, bytes, count, 0);
}

void CommNotifier::PostReceiveError(std::uint32_t flags) {
    Post(CommMessage::ReceiveError, nullptr, 0, flags);
}

void CommNotifier::PostModemStateChange(std::uint32_t bits) {
    Post(CommMessage::ModemStateChange, nullptr, 0, bits);
}

void CommNotifier::PostSendDataEmpty() {
    Post(CommMessage::SendDataEmpty, nullptr, 0, 0);
}

void CommNotifier::PostRequestHangup() {
    if (!hangupPosted_.exchange(true, std::memory_order_relaxed)) {
        Post(CommMessage::RequestHangup, nullptr, 0, session_.load(std::memory_order_relaxed));
    }
}

void CommNotifier::BeginSession() {
    hangupPosted_.store(false, std::memory_order_relaxed);
    session_.fetch_add(1, std::memory_order_relaxed);
}

void CommNotifier::EndSession() {
    session_.fetch_add(1, std::memory_order_relaxed);
}

namespace {

// The handler is copied before the call so that it may rebind itself, or destroy the
// component, while it runs.
template <typename Handler, typename... Args>
void CallIfBound(const Handler& bound, Args... args) {
    if (Handler handler = bound) {
        handler(args...);
    }
}

}  // namespace

void CommNotifier::Deliver(const CommEvent& event) {
    pending_.fetch_sub(1, std::memory_order_acq_rel);
    TComm* sender = owner_;
    if (sender == nullptr) {
        return;  // the component has gone; the sink frees the block with the event
    }
    // Nothing of the component is touched once a handler has run: it may have destroyed it.
    switch (event.message) {
        case CommMessage::ReceiveData:
            sender->bytesReceived_ += event.count;
            CallIfBound(sender->OnReceiveData, sender, event.block.get(), event.count);
            break;
        case CommMessage::ReceiveError:
            CallIfBound(sender->OnReceiveError, sender, event.value);
            break;
        case CommMessage::RequestHangup:
            if (event.value == session_.load(std::memory_order_relaxed)) {
                CallIfBound(sender->OnRequestHangup, sender);
            }
            break;
        case CommMessage::ModemStateChange:
            CallIfBound(sender->OnModemStateChange, sender, event.value);
            break;
        case CommMessage::SendDataEmpty:
            CallIfBound(sender->OnSendDataEmpty, sender);
            break;
    }
}

}  // namespace lgcset::link
