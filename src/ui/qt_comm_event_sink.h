// The window's sink for its serial lines: each event travels through Qt's event queue and
// runs on the thread of this object (the GUI thread), in the order posted.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "link/comm_event_sink.h"

namespace lgcset::ui {

class QtCommEventSink final : public QObject, public link::CommEventSink {
  public:
    QtCommEventSink() = default;
    // Events still queued are dropped, and their blocks freed, here.
    ~QtCommEventSink() override;

    void Post(link::CommEvent event) override;

  protected:
    bool event(QEvent* event) override;

  private:
    // Counts posted events. Its read-modify-writes order the poster's writes to an event
    // before its delivery for ThreadSanitizer, which cannot see inside Qt's queue.
    std::atomic<std::uint64_t> posted_{0};
};

}  // namespace lgcset::ui
