#include "sim/device.h"

#include <algorithm>
#include <cstring>

#include "protocol/command_codes.h"
#include "protocol/frame_codec.h"
#include "sim/data_items.h"

namespace lgcset::sim {

namespace {
using protocol::code;
using protocol::Command;

constexpr std::uint8_t kSuccess = 1;
constexpr std::uint8_t kFailure = 0;

Reply Result(Command command, std::uint8_t result) {
    return Reply{code(command), {result}};
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& p, std::size_t at) {
    return p[at] | std::uint32_t{p[at + 1]} << 8 | std::uint32_t{p[at + 2]} << 16 |
           std::uint32_t{p[at + 3]} << 24;
}

std::uint16_t ReadU16(const std::vector<std::uint8_t>& p, std::size_t at) {
    return static_cast<std::uint16_t>(p[at] | p[at + 1] << 8);
}

bool IsSettingsPage(std::uint32_t address) {
    return address == protocol::kNumbersPage || address == protocol::kAlarmPage ||
           address == protocol::kGprsPage || address == protocol::kSystemPage;
}

CivilTime DayFromWire(const std::vector<std::uint8_t>& p, std::size_t at) {
    CivilTime t;
    t.year = 2000 + p[at];
    t.month = p[at + 1];
    t.day = p[at + 2];
    return t;
}
}  // namespace

Device::Device(const Options& options, std::int64_t hostNow)
    : options_(options),
      layout_(LayoutForModel(options.model)),
      history_(layout_, options.historyEnd ? ToSeconds(*options.historyEnd) : hostNow,
               options.logIntervalMinutes, options.days, options.historyRecords,
               {options.unknownTagRecord, options.unknownSubCodeRecord}) {
    WriteFactoryMemory(memory_, layout_.kind, options_.password, options_.deviceId);
}

std::optional<Reply> Device::Handle(const Request& r, std::int64_t hostNow) {
    switch (static_cast<Command>(r.command)) {
        case Command::Login:
            return Login(r);
        case Command::WritePage:
        case Command::ReadPage:
        case Command::ErasePage:
            return PageCommand(r);
        case Command::FinishWrite:
            return Result(Command::FinishWrite, kSuccess);
        case Command::FactoryReset:
            WriteFactoryMemory(memory_, layout_.kind, options_.password, options_.deviceId);
            return Result(Command::FactoryReset, kSuccess);
        case Command::HistoryCount:
            return HistoryCount(r);
        case Command::HistoryRecord:
            return HistoryRecord(r);
        case Command::CurrentData:
            return CurrentData(hostNow);
        case Command::RelayControl:
            return RelayControl(r, hostNow);
        case Command::DebugMode:
            return DebugMode(r);
        case Command::SetTime:
            return SetTime(r, hostNow);
        case Command::ReadTime:
            return ReadTime(hostNow);
        case Command::DebugData:
            break;  // the logger's own frame: nothing to answer
    }
    return std::nullopt;
}

Reply Device::Login(const Request& r) const {
    std::vector<std::uint8_t> expected(4, 0x00);
    std::copy_n(options_.password.begin(), std::min<std::size_t>(4, options_.password.size()),
                expected.begin());
    if (r.payload != expected) {
        return Result(Command::Login, kFailure);
    }
    // Result, model, 0x00, firmware, 0x00: each string cut so the payload fits 256 bytes.
    const std::string model = options_.model.substr(0, 127);
    const std::string firmware = options_.firmware.substr(0, 126);
    Reply reply{code(Command::Login), {kSuccess}};
    reply.payload.insert(reply.payload.end(), model.begin(), model.end());
    reply.payload.push_back(0x00);
    reply.payload.insert(reply.payload.end(), firmware.begin(), firmware.end());
    reply.payload.push_back(0x00);
    return reply;
}

std::optional<Reply> Device::PageCommand(const Request& r) {
    const auto command = static_cast<Command>(r.command);
    const bool addressed = r.payload.size() >= 4 && IsSettingsPage(ReadU32(r.payload, 0));
    const std::uint32_t address = addressed ? ReadU32(r.payload, 0) : 0;
    switch (command) {
        case Command::ReadPage: {
            if (!addressed) {
                return std::nullopt;  // no result byte to refuse with: the request times out
            }
            Reply reply{r.command, {}};
            reply.payload.assign(memory_.begin() + address, memory_.begin() + address + 256);
            return reply;
        }
        case Command::ErasePage:
            if (!addressed) {
                return Result(command, kFailure);
            }
            if (address == options_.refuseEraseOf && erasesRefused_ < options_.refusedErases) {
                ++erasesRefused_;
                return Result(command, kFailure);
            }
            std::fill_n(memory_.begin() + address, 256, std::uint8_t{0xFF});
            return Result(command, kSuccess);
        default:  // WritePage: the address and exactly one page of bytes
            if (!addressed || r.payload.size() != 4 + 256) {
                return Result(command, kFailure);
            }
            std::copy(r.payload.begin() + 4, r.payload.end(), memory_.begin() + address);
            return Result(command, kSuccess);
    }
}

Reply Device::HistoryCount(const Request& r) {
    selection_ = {};
    replyStarts_.clear();
    if (r.payload.size() >= 6) {
        selection_ = history_.Select(DayFromWire(r.payload, 0), DayFromWire(r.payload, 3));
    }
    // The count is one of replies, 16 bits wide: each number is asked once, so replies that
    // carry several records carry the next ones, never those of another reply.
    std::uint32_t at = 0;
    while (at < selection_.count && replyStarts_.size() < 0xFFFF) {
        replyStarts_.push_back(at);
        at = ReplyEnd(at);
    }
    replyStarts_.push_back(at);
    const auto replies = static_cast<std::uint32_t>(replyStarts_.size() - 1);
    return Reply{code(Command::HistoryCount),
                 {static_cast<std::uint8_t>(replies & 0xFF),
                  static_cast<std::uint8_t>(replies >> 8)}};
}

std::uint32_t Device::ReplyEnd(std::uint32_t start) const {
    const auto most = static_cast<std::uint32_t>(options_.recordsPerReply);
    std::size_t size = history_.RecordSize(selection_.first + start);
    std::uint32_t end = start + 1;
    while (end < selection_.count && end - start < most) {
        size += history_.RecordSize(selection_.first + end);
        if (size > protocol::kPayloadArea) {
            break;
        }
        ++end;
    }
    return end;
}

Reply Device::HistoryRecord(const Request& r) const {
    Reply reply{code(Command::HistoryRecord), {}};
    if (r.payload.size() < 2) {
        return reply;
    }
    const std::uint16_t number = ReadU16(r.payload, 0);
    if (number == 0) {
        reply.payload.push_back(kSuccess);  // end of transfer
        return reply;
    }
    // Reply `number` of the last counted range. A number outside the range gets an empty
    // body.
    if (number >= replyStarts_.size()) {
        return reply;
    }
    for (std::uint32_t k = replyStarts_[number - 1]; k < replyStarts_[number]; ++k) {
        history_.AppendRecord(selection_.first + k, reply.payload);
    }
    return reply;
}

Reply Device::CurrentData(std::int64_t hostNow) const {
    if (options_.currentDataReply) {
        return Reply{code(Command::CurrentData), *options_.currentDataReply};
    }
    const std::int64_t now = DeviceSeconds(hostNow);
    Reply reply{code(Command::CurrentData), {}};
    auto& p = reply.payload;
    for (int ch = 0; ch < layout_.count; ++ch) {
        AppendItem(p, kSensorTag, static_cast<std::uint8_t>(ch),
                   SensorValue(layout_.kind, ch, now));
    }
    const GpsFix fix = GpsAt(now);
    AppendItem(p, kPositionTag, kLongitude, fix.longitude);
    AppendItem(p, kPositionTag, kLatitude, fix.latitude);
    AppendItem(p, kPositionTag, kVelocity, fix.velocity);
    AppendItem(p, kPositionTag, kDirection, fix.direction);
    AppendItem(p, kSignalTag, kSignalTag, GsmSignalAt(now));
    AppendItem(p, kRelayTag, kRelayTag, RelayOn(hostNow) ? 1.0f : 0.0f);
    AppendItem(p, kPowerTag, kPowerTag, 1.0f);  // on external power
    return reply;
}

Reply Device::RelayControl(const Request& r, std::int64_t hostNow) {
    const auto& p = r.payload;
    constexpr std::size_t kKeptRelayRequests = 64;
    if (relayRequests_.size() == kKeptRelayRequests) {
        relayRequests_.erase(relayRequests_.begin());
    }
    relayRequests_.push_back(p);
    if (options_.refuseRelay || p.size() < 2 || p[0] != 0x01) {
        return Result(Command::RelayControl, kFailure);
    }
    const std::uint8_t letter = p[1];
    if (letter == 'C' && p.size() == 4) {
        relayStart_ = hostNow;
        relayOnFor_ = ReadU16(p, 2);
        relayOffFor_ = 0;
        relayCycles_ = 1;
    } else if (letter == 'P' && p.size() == 7) {
        relayStart_ = hostNow;
        relayOnFor_ = ReadU16(p, 2);
        relayOffFor_ = ReadU16(p, 4);
        relayCycles_ = p[6];
    } else if (letter == 'O' && p.size() == 2) {
        relayCycles_ = 0;
    } else {
        return Result(Command::RelayControl, kFailure);
    }
    return Result(Command::RelayControl, kSuccess);
}

bool Device::RelayOn(std::int64_t hostNow) const {
    const std::int64_t period = relayOnFor_ + relayOffFor_;
    const std::int64_t elapsed = hostNow - relayStart_;
    if (relayCycles_ <= 0 || period <= 0 || elapsed < 0 || elapsed >= period * relayCycles_) {
        return false;
    }
    return elapsed % period < relayOnFor_;
}

Reply Device::SetTime(const Request& r, std::int64_t hostNow) {
    const auto& p = r.payload;
    if (options_.refuseSetTime || p.size() < 6 || p[0] > 99) {
        return Result(Command::SetTime, kFailure);
    }
    const CivilTime t{2000 + p[0], p[1], p[2], p[3], p[4], p[5]};
    if (!IsValid(t)) {
        return Result(Command::SetTime, kFailure);
    }
    clockOffset_ = ToSeconds(t) - hostNow;
    return Result(Command::SetTime, kSuccess);
}

Reply Device::ReadTime(std::int64_t hostNow) const {
    if (options_.clockReply) {
        return Reply{code(Command::ReadTime),
                     {options_.clockReply->begin(), options_.clockReply->end()}};
    }
    const CivilTime t = FromSeconds(DeviceSeconds(hostNow));
    return Reply{code(Command::ReadTime),
                 {static_cast<std::uint8_t>(t.year % 100), static_cast<std::uint8_t>(t.month),
                  static_cast<std::uint8_t>(t.day), static_cast<std::uint8_t>(t.hour),
                  static_cast<std::uint8_t>(t.minute), static_cast<std::uint8_t>(t.second)}};
}

Reply Device::DebugMode(const Request& r) {
    if (options_.refuseDebugMode || r.payload.empty() || r.payload[0] > 1) {
        return Result(Command::DebugMode, kFailure);
    }
    debugOn_ = r.payload[0] == 1;
    if (debugOn_) {
        debugTraffic_.Restart();
        debugScriptStep_ = 0;
    }
    return Result(Command::DebugMode, kSuccess);
}

Reply Device::NextDebugFrame(std::int64_t hostNow) {
    if (!options_.debugFrames.empty()) {
        const ScriptedDebugFrame& frame =
            options_.debugFrames[debugScriptStep_++ % options_.debugFrames.size()];
        Reply reply{code(Command::DebugData), {frame.direction}};
        for (int k = 0; k < frame.length; ++k) {
            reply.payload.push_back(static_cast<std::uint8_t>(k));
        }
        return reply;
    }
    const std::string deviceId(reinterpret_cast<const char*>(&memory_[protocol::kSystemPage + 27]),
                               15);
    return Reply{code(Command::DebugData),
                 debugTraffic_.Next(DeviceSeconds(hostNow), deviceId, layout_)};
}

}  // namespace lgcset::sim
