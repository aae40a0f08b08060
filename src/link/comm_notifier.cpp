#include "link/comm_notifier.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstring>
#include <memory>

#include "link/SerialComm.h"

namespace lgcset::link {

namespace {

// One posted message; the block (n bytes and a zero after them) belongs to the event.
class CommEvent : public QEvent {
  public:
    CommEvent(CommMessage message, std::unique_ptr<std::uint8_t[]> block, std::uint16_t count,
              std::uint32_t value)
        : QEvent(static_cast<QEvent::Type>(message)),
          block_(std::move(block)),
          count_(count),
          value_(value) {}

    const std::uint8_t* block() const { return block_.get(); }
    std::uint16_t count() const { return count_; }
    std::uint32_t value() const { return value_; }

  private:
    std::unique_ptr<std::uint8_t[]> block_;
    std::uint16_t count_;
    std::uint32_t value_;
};

bool IsCommMessage(QEvent::Type type) {
    const int t = static_cast<int>(type);
    return t >= static_cast<int>(CommMessage::ReceiveData) &&
           t <= static_cast<int>(CommMessage::SendDataEmpty);
}

}  // namespace

CommNotifier::CommNotifier(TComm* owner) : owner_(owner) {}

CommNotifier::~CommNotifier() {
    // Free the queued messages while this object is still whole.
    QCoreApplication::removePostedEvents(this);
}

void CommNotifier::Post(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
                        std::uint32_t value) {
    std::unique_ptr<std::uint8_t[]> block;
    if (bytes != nullptr) {
        block = std::make_unique<std::uint8_t[]>(std::size_t{count} + 1);  // zeroed
        std::memcpy(block.get(), bytes, count);
    }
    auto* event = new CommEvent(message, std::move(block), count, value);
    pending_.fetch_add(1, std::memory_order_acq_rel);
    QCoreApplication::postEvent(this, event);
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

bool CommNotifier::Detach() {
    owner_ = nullptr;
    // While one of its events runs, the notifier is deleted once the outermost of them has
    // returned (see event()). A deferred delete asked for here could run sooner: a handler
    // that opened a nested loop in which a later event destroyed the component would then
    // return into a deleted notifier.
    return dispatchDepth_ > 0;
}

bool CommNotifier::event(QEvent* event) {
    // Pairs with the poster's increment before anything of the event is read.
    pending_.load(std::memory_order_acquire);
    if (!IsCommMessage(event->type())) {
        return QObject::event(event);
    }
    pending_.fetch_sub(1, std::memory_order_acq_rel);
    const auto* message = static_cast<const CommEvent*>(event);
    if (owner_ != nullptr) {
        ++dispatchDepth_;
        Dispatch(static_cast<CommMessage>(event->type()), message->block(), message->count(),
                 message->value());
        if (--dispatchDepth_ == 0 && owner_ == nullptr) {
            deleteLater();  // the component went away during the event; nothing runs here now
        }
    }
    return true;  // Qt deletes the event, and the block with it
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

void CommNotifier::Dispatch(CommMessage message, const std::uint8_t* bytes, std::uint16_t count,
                            std::uint32_t value) {
    TComm* sender = owner_;
    switch (message) {
        case CommMessage::ReceiveData:
            sender->bytesReceived_ += count;
            CallIfBound(sender->OnReceiveData, sender, bytes, count);
            break;
        case CommMessage::ReceiveError:
            CallIfBound(sender->OnReceiveError, sender, value);
            break;
        case CommMessage::RequestHangup:
            if (value == session_.load(std::memory_order_relaxed)) {
                CallIfBound(sender->OnRequestHangup, sender);
            }
            break;
        case CommMessage::ModemStateChange:
            CallIfBound(sender->OnModemStateChange, sender, value);
            break;
        case CommMessage::SendDataEmpty:
            CallIfBound(sender->OnSendDataEmpty, sender);
            break;
    }
}

}  // namespace lgcset::link

#if defined(__SANITIZE_THREAD__)
// Qt's own queue is guarded by a lock that ThreadSanitizer cannot see (the library is not
// instrumented), so its allocations from the posting threads look like races. What this
// component shares across threads is ordered by its own atomics (see pending_). GLib, whose
// event loop Qt's helper threads run (a file dialog's file-information thread), hands its
// cached blocks from one thread to the next behind locks just as hidden.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
