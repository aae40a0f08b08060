#include "session/simulated_link.h"

#include <chrono>
#include <cstring>

#include "protocol/frame_codec.h"
#include "sim/civil_time.h"
#include "sim/device.h"
#include "sim/request_frame.h"

namespace lgcset::session {

namespace {

// Requests not yet taken by the logger; a writer that runs this far ahead is refused.
constexpr std::size_t kMaxInbox = 64 * 1024;

}  // namespace

// Delivers the logger's bytes to the line's listener, unless the line was closed (or
// destroyed) since they were posted.
class SimulatedLink::Target final : public link::CommEventTarget {
  public:
    explicit Target(SimulatedLink* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    void Deliver(const link::CommEvent& event) override {
        if (owner_ == nullptr || event.value != owner_->session_ || !owner_->IsOpen())
            return;
        if (LinkListener* listener = owner_->listener())
            listener->OnReceived(std::span<const std::uint8_t>(event.block.get(), event.count));
    }

  private:
    SimulatedLink* owner_;
};

SimulatedLink::SimulatedLink(link::CommEventSink& sink, sim::Options options)
    : sink_(sink),
      options_(std::move(options)),
      device_(std::make_unique<sim::Device>(options_, sim::HostLocalSeconds())),
      target_(std::make_shared<Target>(this)) {}

SimulatedLink::~SimulatedLink() {
    Close();
    target_->Detach();
}

std::optional<OpenFailure> SimulatedLink::Open(const std::string& name) {
    name_ = name;
    if (IsOpen())
        return OpenFailure{.why = OpenFailure::Why::AlreadyOpen,
                           .systemError = 0,
                           .detail = "This serial port already opened",
                           .reason = {}};
    ++session_;
    stop_ = false;
    inbox_.clear();
    worker_ = std::thread([this] { Run(); });
    return std::nullopt;
}

void SimulatedLink::Close() {
    if (!IsOpen())
        return;
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    worker_.join();
    ++session_;  // replies still queued belong to the line that was closed
}

bool SimulatedLink::Write(std::span<const std::uint8_t> bytes) {
    if (!IsOpen() || bytes.empty())
        return false;
    {
        const std::lock_guard lock(mutex_);
        if (inbox_.size() + bytes.size() > kMaxInbox)
            return false;
        inbox_.insert(inbox_.end(), bytes.begin(), bytes.end());
    }
    wake_.notify_one();
    return true;
}

sim::ParameterMemory SimulatedLink::Memory() const {
    return device_->memory();
}

void SimulatedLink::Run() {
    using Clock = std::chrono::steady_clock;
    const auto debugInterval = std::chrono::milliseconds(std::max(1, options_.debugIntervalMs));
    protocol::FrameAssembler requests;
    requests.SetOnRawFrame([this](std::span<const std::uint8_t> raw) { HandleRequest(raw); });
    std::vector<std::uint8_t> taken;
    Clock::time_point nextDebug = Clock::now() + debugInterval;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (device_->debugOn())
                wake_.wait_until(lock, nextDebug, [this] { return stop_ || !inbox_.empty(); });
            else
                wake_.wait(lock, [this] { return stop_ || !inbox_.empty(); });
            if (stop_)
                return;
            taken.swap(inbox_);
            inbox_.clear();
        }
        requests.Feed(taken);
        taken.clear();
        const Clock::time_point now = Clock::now();
        if (!device_->debugOn()) {
            nextDebug = now + debugInterval;
        } else if (now >= nextDebug) {
            nextDebug = now + debugInterval;
            const sim::Reply frame = device_->NextDebugFrame(sim::HostLocalSeconds());
            PostReply(frame.command, frame.payload);
        }
    }
}

void SimulatedLink::HandleRequest(std::span<const std::uint8_t> raw) {
    const std::optional<sim::Request> request = sim::ParseRequest(raw);
    if (!request)
        return;  // the logger ignores a frame whose length or check is wrong
    if (const std::optional<sim::Reply> reply = device_->Handle(*request, sim::HostLocalSeconds()))
        PostReply(reply->command, reply->payload);
}

void SimulatedLink::PostReply(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    const std::vector<std::uint8_t> bytes =
        protocol::EscapeFrame(protocol::BuildFrame(command, payload));
    link::CommEvent event;
    event.target = target_;
    event.message = link::CommMessage::ReceiveData;
    event.count = static_cast<std::uint16_t>(bytes.size());
    event.block = std::make_unique<std::uint8_t[]>(bytes.size() + 1);  // zeroed
    std::memcpy(event.block.get(), bytes.data(), bytes.size());
    event.value = session_;
    sink_.Post(std::move(event));
}

}  // namespace lgcset::session
