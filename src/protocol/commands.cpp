#include "protocol/commands.h"

#include <algorithm>
#include <array>
#include <utility>

#include "protocol/frame_codec.h"

namespace lgcset::protocol {

namespace {

using Payload = std::vector<std::uint8_t>;

void PutLe16(Payload& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutLe32(Payload& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

std::uint8_t YearOnWire(int year) {
    return static_cast<std::uint8_t>((year % 100 + 100) % 100);
}

// The relay request's length field is one short of its payload while its check still
// covers every payload byte; the logger expects exactly this layout.
Frame BuildRelayFrame(std::span<const std::uint8_t> payload) {
    Frame frame = BuildFrame(code(Command::RelayControl), payload);
    const auto length = static_cast<std::uint16_t>(kMinLength - 1 + payload.size());
    frame[1] = static_cast<std::uint8_t>(length & 0xFF);
    frame[2] = static_cast<std::uint8_t>(length >> 8);
    const std::size_t lastPayload = frame.size() - 4;
    const std::uint16_t check = FrameChecksum(frame, 1, lastPayload);
    frame[lastPayload + 1] = static_cast<std::uint8_t>(check & 0xFF);
    frame[lastPayload + 2] = static_cast<std::uint8_t>(check >> 8);
    return frame;
}

std::uint16_t FieldOrEmpty(const std::optional<std::uint16_t>& field) {
    return field.value_or(255);
}

std::optional<Frame> RelayRequest(RequestParams& params) {
    const std::optional<RelayAction> action = std::exchange(params.pendingRelayAction, {});
    if (!action) {
        return std::nullopt;
    }
    Payload payload{0x01, static_cast<std::uint8_t>(*action)};
    switch (*action) {
        case RelayAction::NcNo:
            PutLe16(payload, FieldOrEmpty(params.relay.workingTime));
            break;
        case RelayAction::Pulse:
            PutLe16(payload, FieldOrEmpty(params.relay.onTime));
            PutLe16(payload, FieldOrEmpty(params.relay.offTime));
            payload.push_back(static_cast<std::uint8_t>(FieldOrEmpty(params.relay.repeatCount)));
            break;
        case RelayAction::Stop:
            break;
        default:
            return std::nullopt;  // not a letter the logger knows
    }
    return BuildRelayFrame(payload);
}

Payload NoPayload(const RequestParams&) {
    return {};
}

Payload HistoryRangePayload(const RequestParams& p) {
    return {YearOnWire(p.historyFrom.year), p.historyFrom.month, p.historyFrom.day,
            YearOnWire(p.historyTo.year),   p.historyTo.month,   p.historyTo.day};
}

Payload RecordIndexPayload(const RequestParams& p) {
    Payload out;
    PutLe16(out, p.historyRecordIndex);
    return out;
}

Payload DebugOnPayload(const RequestParams&) {
    return {1};
}
Payload DebugOffPayload(const RequestParams&) {
    return {0};
}

Payload ClockPayload(const RequestParams& p) {
    const ClockSetting& c = p.clock;
    return {YearOnWire(c.year), c.month, c.day, c.hour, c.minute, c.second};
}

// The requests that go through SendRequest. The relay request has a builder of its own.
struct RequestEntry {
    std::uint8_t type;
    Command command;
    Payload (*payload)(const RequestParams&);
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
    Payload payload(4, 0x00);
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

std::optional<Frame> BuildRequest(std::uint8_t requestType, RequestParams& params) {
    const auto entry = std::find_if(kRequestTable.begin(), kRequestTable.end(),
                                    [&](const RequestEntry& e) { return e.type == requestType; });
    if (entry == kRequestTable.end()) {
        return std::nullopt;
    }
    if (entry->payload == nullptr) {
        return RelayRequest(params);
    }
    return BuildFrame(code(entry->command), entry->payload(params));
}

}  // namespace lgcset::protocol
