#include "ui/qt_comm_event_sink.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

namespace lgcset::ui {

namespace {

QEvent::Type CommEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class QueuedCommEvent final : public QEvent {
  public:
    explicit QueuedCommEvent(link::CommEvent event)
        : QEvent(CommEventType()), event_(std::move(event)) {}
    const link::CommEvent& event() const { return event_; }

  private:
    link::CommEvent event_;
};

}  // namespace

QtCommEventSink::~QtCommEventSink() {
    posted_.load(std::memory_order_acquire);
    // Free the queued events while this object is still whole.
    QCoreApplication::removePostedEvents(this);
}

void QtCommEventSink::Post(link::CommEvent event) {
    auto* queued = new QueuedCommEvent(std::move(event));
    posted_.fetch_add(1, std::memory_order_acq_rel);
    QCoreApplication::postEvent(this, queued);
}

bool QtCommEventSink::event(QEvent* event) {
    // Pairs with the poster's increment before anything of the event is read.
    posted_.load(std::memory_order_acquire);
    if (event->type() != CommEventType()) {
        return QObject::event(event);
    }
    static_cast<const QueuedCommEvent*>(event)->event().Deliver();
    return true;  // Qt deletes the event, and the block with it
}

}  // namespace lgcset::ui

#if defined(__SANITIZE_THREAD__)
// Qt's own queue is guarded by a lock that ThreadSanitizer cannot see (the library is not
// instrumented), so its allocations from the posting threads look like races. What the
// serial lines share across threads is ordered by atomics of their own (see posted_). GLib,
// whose event loop Qt's helper threads run (a file dialog's file-information thread), hands
// its cached blocks from one thread to the next behind locks just as hidden.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
