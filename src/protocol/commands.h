// Request builders. Each returns the complete UNSTUFFED frame (both delimiters and the
// check in place); stuffing happens on the send path (EscapeFrame).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/command_codes.h"
#include "protocol/request_params.h"

namespace lgcset::protocol {

using Frame = std::vector<std::uint8_t>;

// The one-byte request types of SendRequest. Each equals its command code, except the
// Debug OFF request, which sends the debug mode command with payload 0.
enum RequestType : std::uint8_t {
    kFinishWriteRequest = 19,
    kFactoryResetRequest = 20,
    kHistoryCountRequest = 21,
    kHistoryRecordRequest = 22,
    kCurrentDataRequest = 23,
    kRelayControlRequest = 24,
    kDebugOnRequest = 32,
    kSetTimeRequest = 34,
    kReadTimeRequest = 35,
    kDebugOffRequest = 41,
};

// The characters of the device password that a login carries.
inline constexpr std::size_t kLoginPasswordLength = 4;

// Login with the device password: its first four characters, padded with 0x00 to four.
Frame BuildLogin(std::string_view password);

// Page requests for a 32-bit memory address (sent little-endian).
Frame BuildReadPage(std::uint32_t address);
Frame BuildErasePage(std::uint32_t address);

// Write of one page: the address and image[address .. address + 255], where image is the
// parameter image indexed by memory address. Bytes past the end of image go out as 0xFF,
// the value of a cleared image. Always 271 bytes, L = 265.
Frame BuildWritePage(std::uint32_t address, std::span<const std::uint8_t> image);

// The frame of one request type, built from the stored parameters. Returns nothing for a
// type outside the table. A relay control request consumes params.pendingRelayAction
// (it is cleared whether or not a frame results) and returns nothing when no letter was
// pending.
std::optional<Frame> BuildRequest(std::uint8_t requestType, RequestParams& params);
// The same into `frame`, whose storage is reused: true when a frame resulted; otherwise
// `frame` is left as it was.
bool BuildRequest(std::uint8_t requestType, RequestParams& params, Frame& frame);

}  // namespace lgcset::protocol
