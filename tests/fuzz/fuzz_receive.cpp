// The receive path: bytes off the line in chunks of any size into the session's frame
// assembler, every accepted frame dispatched to the device operations and the history
// query as the programs do, with the operations started and the resend timer ticking at
// points the input chooses. What the host is asked to send must be a request the logger
// can parse.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "data/current_data.h"
#include "data/debug_monitor.h"
#include "data/device_clock.h"
#include "data/history_query.h"
#include "fuzz_input.h"
#include "protocol/device_host.h"
#include "session/device_session.h"
#include "session/logger_session.h"
#include "settings/channel_layout.h"
#include "settings/settings_model.h"
#include "sim/request_frame.h"

namespace {

using namespace lgcset;

class StillTimer final : public session::ResendTimer {
  public:
    Clock::time_point Now() const override { return Clock::time_point{}; }
    void Start(std::chrono::milliseconds) override { active_ = true; }
    void Stop() override { active_ = false; }
    bool Active() const override { return active_; }

  private:
    bool active_ = false;
};

class HistoryHost final : public data::HistoryObserver {
  public:
    std::uint16_t* historyCount = nullptr;

    void Report(const data::HistoryOutcome&) override {}
    bool AskYesNo(const data::HistoryOutcome&) override { return true; }
    void ExportHistory() override {
        // A transfer never keeps more records than a sheet and the store hold.
        FUZZ_CHECK(*historyCount <= data::HistoryStore::kSlots - 2);
    }
};

class Host final : public session::SessionObserver, public protocol::DeviceObserver {
  public:
    session::DeviceSession* device = nullptr;
    data::HistoryQuery* query = nullptr;
    settings::SettingsModel* settings = nullptr;

    // session::SessionObserver
    void OnSent(std::span<const std::uint8_t> stuffed) override {
        FUZZ_CHECK(sim::ParseRequest(stuffed).has_value());
    }
    void OnRawFrame(std::span<const std::uint8_t> raw) override {
        FUZZ_CHECK(raw.size() >= 2 && raw.size() <= protocol::kRawBufferSize);
        FUZZ_CHECK(raw.front() == protocol::kDelimiter && raw.back() == protocol::kDelimiter);
    }
    void OnFrame(const protocol::ReceivedFrame& frame) override {
        FUZZ_CHECK(frame.payloadCount <= protocol::kPayloadArea);
        FUZZ_CHECK(frame.length() >= protocol::kMinLength &&
                   frame.length() <= protocol::kMaxLength);
        FUZZ_CHECK(frame.payloadCount + protocol::kMinLength == frame.length());
        device->Dispatch(frame);
    }
    void OnTimeout() override { query->EndEarly(); }

    // protocol::DeviceObserver
    void Report(const protocol::OperationOutcome&) override {}
    void ApplyDeviceIdentity() override {
        settings::ApplyDeviceIdentity(*settings, device->Image(), device->Codes());
    }
    void OnCurrentData(const protocol::ReceivedFrame& frame) override {
        data::CurrentReading reading;
        data::ParseCurrentData(frame.payload, frame.payloadCount, reading);
        data::CurrentDataTexts(reading, ",");
    }
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override {
        query->OnCountFrame(frame);
    }
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override {
        query->OnRecordFrame(frame);
    }
    void ShowDeviceTime(const protocol::ReceivedFrame& frame) override {
        const data::ClockReply reply = data::DecodeClockReply(frame.payload);
        if (reply.kind == data::ClockReplyKind::Invalid)
            data::InvalidClockMessage(reply);
    }
    void ShowDebugData(const protocol::ReceivedFrame& frame) override {
        data::DecodeDebugTraffic(frame.payload, frame.payloadCount);
    }
};

void Start(std::uint8_t which, session::DeviceSession& device, data::HistoryQuery& query,
           fuzz::Input& in) {
    switch (which % 6) {
        case 0: device.Operations().Login(); break;
        case 1: device.Operations().ReadSettings(); break;
        case 2: device.Operations().SaveSettings(); break;
        case 3: device.Operations().FactoryReset(); break;
        case 4: {
            const std::uint8_t month = static_cast<std::uint8_t>(1 + in.Byte() % 12);
            query.Start({26, month, 1, 26, month, 28});
            break;
        }
        default: device.Operations().Abort(); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static data::HistoryStore store;  // 65,537 slots: made once
    fuzz::Input in(data, size);
    settings::SettingsModel settings;
    StillTimer timer;
    Host host;
    HistoryHost history;
    session::LoggerSession session(timer, host);
    session::DeviceSession device(session, settings, host);
    std::uint16_t count = 0;
    data::HistoryQuery query(device, history, store, count);
    host.device = &device;
    host.query = &query;
    host.settings = &settings;
    history.historyCount = &count;

    Start(in.Byte(), device, query, in);
    // Each chunk: a control byte (bits 0-5: length - 1; bit 6: start an operation first;
    // bit 7: a tick of the resend timer first), then the bytes.
    while (!in.Empty()) {
        const std::uint8_t control = in.Byte();
        if (control & 0x40)
            Start(in.Byte(), device, query, in);
        if (control & 0x80)
            session.OnTimerTick();
        session.Assembler().Feed(in.Take(static_cast<std::size_t>(control & 0x3F) + 1));
    }
    return 0;
}
