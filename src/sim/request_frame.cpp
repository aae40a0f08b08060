#include "sim/request_frame.h"

#include "protocol/command_codes.h"
#include "protocol/frame_codec.h"

namespace lgcset::sim {

namespace {
// True when the check stored at `at` (low byte first) matches bytes 1..at-1 of `frame`.
bool CheckMatches(std::span<const std::uint8_t> frame, std::size_t at) {
    const std::uint16_t check = protocol::FrameChecksum(frame, 1, at - 1);
    return frame[at] == (check & 0xFF) && frame[at + 1] == (check >> 8);
}
}  // namespace

std::optional<Request> ParseRequest(std::span<const std::uint8_t> rawFrame) {
    if (rawFrame.size() < 2) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> frame;
    protocol::UnescapeFrame(rawFrame, frame);  // 0xA5, decoded inner bytes, 0xA5
    // Shortest frame: delimiter, length, command, four header bytes, check, delimiter.
    if (frame.size() < 11) {
        return std::nullopt;
    }
    const std::size_t length = frame[1] | static_cast<std::size_t>(frame[2]) << 8;
    if (length < protocol::kMinLength) {
        return std::nullopt;
    }
    Request request;
    request.command = frame[3];
    std::size_t payloadEnd = 0;  // one past the last payload byte
    if (frame.size() == length + 6 && CheckMatches(frame, length + 3)) {
        payloadEnd = length + 3;
    } else if (request.command == protocol::code(protocol::Command::RelayControl) &&
               frame.size() == length + 7 && CheckMatches(frame, length + 4)) {
        payloadEnd = length + 4;
        request.shortLength = true;
    } else {
        return std::nullopt;
    }
    request.payload.assign(frame.begin() + 8,
                           frame.begin() + static_cast<std::ptrdiff_t>(payloadEnd));
    return request;
}

}  // namespace lgcset::sim
