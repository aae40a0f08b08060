#include "protocol/commands.h"

#include <algorithm>
#include <array>
#include <utility>

#include "protocol/frame_codec.h"

namespace lgcset::protocol {

namespace {

using Payload = std::vector<std::uint8_t>;

void PutLe32(Payload& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

std::uint8_t YearOnWire(int year) {
    return static_cast<std::uint8_t>((year % 100 + 100) % 100);
}

// The few bytes of a request's payload, built without allocating.
struct ShortPayload {
    std::array<std::uint8_t, 8> bytes{};
    std::size_t size = 0;

    void Put(std::uint8_t byte) { bytes[size++] = byte; }
    void PutLe16(std::uint16_t value) {
        Put(static_cast<std::uint8_t>(value & 0xFF));
        Put(static_cast<std::uint8_t>(value >> 8));
    }
    std::span<const std::uint8_t> View() const { return {bytes.data(), size}; }
};

// The relay request's length field is one short of its payload while its check still
// covers every payload byte; the logger expects exactly this layout.
void BuildRelayFrame(std::span<const std::uint8_t> payload, Frame& frame) {
    BuildFrame(code(Command::RelayControl), payload, frame);
    const auto length = static_cast<std::uint16_t>(kMinLength - 1 + payload.size());
    frame[1] = static_cast<std::uint8_t>(length & 0xFF);
    frame[2] = static_cast<std::uint8_t>(length >> 8);
    const std::size_t lastPayload = frame.size() - 4;
    const std::uint16_t check = FrameChecksum(frame, 1, lastPayload);
    frame[lastPayload + 1] = static_cast<std::uint8_t>(check & 0xFF);
    frame[lastPayload + 2] = static_cast<std::uint8_t>(check >> 8);
}

std::uint16_t FieldOrEmpty(const std::optional<std::uint16_t>& field) {
    return field.value_or(255);
}

bool RelayRequest(RequestParams& params, Frame& frame) {
    const std::optional<RelayAction> action = std::exchange(params.pendingRelayAction, {});
    if (!action) {
        return false;
    }
    ShortPayload payload;
    payload.Put(0x01);
    payload.Put(static_cast<std::uint8_t>(*action));
    switch (*action) {
        case RelayAction::NcNo:
            payload.PutLe16(FieldOrEmpty(params.relay.workingTime));
            break;
        case RelayAction::Pulse:
            payload.PutLe16(FieldOrEmpty(params.relay.onTime));
            payload.PutLe16(FieldOrEmpty(params.relay.offTime));
            payload.Put(static_cast<std::uint8_t>(FieldOrEmpty(params.relay.repeatCount)));
            break;
        case RelayAction::Stop:
            break;
        default:
            return false;  // not a letter the logger knows
    }
    BuildRelayFrame(payload.View(), frame);
    return true;
}

void NoPayload(const RequestParams&, ShortPayload&) {}

void HistoryRangePayload(const RequestParams& p, ShortPayload& out) {
    for (const QueryDate& date : {p.historyFrom, p.historyTo}) {
        out.Put(YearOnWire(date.year));
        out.Put(date.month);
        out.Put(date.day);
    }
}

void RecordIndexPayload(const RequestParams& p, ShortPayload& out) {
    out.PutLe16(p.historyRecordIndex);
}

void DebugOnPayload(const RequestParams&, ShortPayload& out) {
    out.Put(1);
}
void DebugOffPayload(const RequestParams&, ShortPayload& out) {
    out.Put(0);
}

void ClockPayload(const RequestParams& p, ShortPayload& out) {
    const ClockSetting& c = p.clock;
    for (const std::uint8_t b : {YearOnWire(c.year), c.month, c.day, c.hour, c.minute, c.second})
        out.Put(b);
}

// The requests that go through SendRequest. The relay request has a builder of its own.
struct RequestEntry {
    std::uint8_t type;
    Command command;
    void (*payload)(const RequestParams&, ShortPayload&);
};

constexpr std::array<RequestEntry, 10> kRequestTable{{
    {kFinishWriteRequest, Command::FinishWrite, &NoPayload},
    {kFactoryResetRequest, Command::FactoryReset, &NoPayload},
    {kHistoryCountRequest, Command::HistoryCount, &HistoryRangePayload},
    {kHistoryRecordRequest, Command::HistoryRecord, &RecordIndexPayload},
    {kCurrentDataRequest, Command::CurrentData, &NoPayload},
    {kRelayControlRequest, Command::RelayControl, nullptr},
    {kDebugOnRequest, Command::DebugMode, &DebugOnPayload},
    {kSetTimeRequest, Command::SetTime, &ClockPayload},
    {kReadTimeRequest, Command::ReadTime, &NoPayload},
    {kDebugOffRequest, Command::DebugMode, &DebugOffPayload},
}};

Frame PageRequest(Command command, std::uint32_t address) {
    Payload payload;
    PutLe32(payload, address);
    return BuildFrame(code(command), payload);
}

}  // namespace

ClockSetting ClockSetting::FromDateTime(int year, int month, int day, int hour, int minute,
                                        int second) {
    return {YearOnWire(year),
            static_cast<std::uint8_t>(month),
            static_cast<std::uint8_t>(day),
            static_cast<std::uint8_t>(hour),
            static_cast<std::uint8_t>(minute),
            static_cast<std::uint8_t>(second)};
}

Frame BuildLogin(std::string_view password) {
    Payload payload(kLoginPasswordLength, 0x00);
    const std::size_t n = std::min<std::size_t>(password.size(), payload.size());
    std::copy_n(password.begin(), n, payload.begin());
    return BuildFrame(code(Command::Login), payload);
}

Frame BuildReadPage(std::uint32_t address) {
    return PageRequest(Command::ReadPage, address);
}

Frame BuildErasePage(std::uint32_t address) {
    return PageRequest(Command::ErasePage, address);
}

Frame BuildWritePage(std::uint32_t address, std::span<const std::uint8_t> image) {
    Payload payload;
    payload.reserve(4 + kPageSize);
    PutLe32(payload, address);
    payload.resize(4 + kPageSize, 0xFF);
    if (address < image.size()) {
        const std::size_t n = std::min<std::size_t>(kPageSize, image.size() - address);
        std::copy_n(image.begin() + address, n, payload.begin() + 4);
    }
    return BuildFrame(code(Command::WritePage), payload);
}

bool BuildRequest(std::uint8_t requestType, RequestParams& params, Frame& frame) {
    const auto entry = std::find_if(kRequestTable.begin(), kRequestTable.end(),
                                    [&](const RequestEntry& e) { return e.type == requestType; });
    if (entry == kRequestTable.end()) {
        return false;
    }
    if (entry->payload == nullptr) {
        return RelayRequest(params, frame);
    }
    ShortPayload payload;
    entry->payload(params, payload);
    BuildFrame(code(entry->command), payload.View(), frame);
    return true;
}

std::optional<Frame> BuildRequest(std::uint8_t requestType, RequestParams& params) {
    Frame frame;
    if (!BuildRequest(requestType, params, frame)) {
        return std::nullopt;
    }
    return frame;
}

}  // namespace lgcset::protocol
