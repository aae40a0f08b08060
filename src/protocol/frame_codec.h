// Frames on the device link: 0xA5, length L (LE16), command, four header bytes,
// payload, check (LE16), 0xA5, with 0xA5/0xAA stuffed between the delimiters.
// Plain C++: no Qt, no I/O.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace lgcset::protocol {

inline constexpr std::uint8_t kDelimiter = 0xA5;
inline constexpr std::uint8_t kEscape = 0xAA;
inline constexpr std::size_t kPayloadArea = 256;      // payload bytes a received frame can hold
inline constexpr std::size_t kRawBufferSize = 65536;  // stuffed bytes of one frame, both delimiters
inline constexpr std::uint16_t kMinLength = 5;        // command + four header bytes
inline constexpr std::uint16_t kMaxLength = kMinLength + kPayloadArea;
inline constexpr std::array<std::uint8_t, 4> kRequestHeader{0x01, 0x00, 0x01, 0x00};

// Bitwise NOT of the wrap-around 16-bit sum of bytes[first..last]; 0 when last < first.
std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes, std::size_t first,
                            std::size_t last);

// Appends the stuffed form of a complete unstuffed frame (both delimiters in place) to out.
void EscapeFrame(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> EscapeFrame(std::span<const std::uint8_t> frame);

// Lays out a whole unstuffed frame: delimiter, L = 5 + payload size, command, the request
// header bytes, payload, check over 1..L+2, delimiter. The payload must fit the length field.
std::vector<std::uint8_t> BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
// The same frame in place of what `frame` held; its storage is reused when large enough,
// so a send path that keeps one buffer builds its requests without allocating.
void BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload,
                std::vector<std::uint8_t>& frame);

// A frame whose check matched: the eight header bytes as received (delimiter, length low,
// length high, command, four header bytes), the payload area (0xFF beyond the count) and
// the payload count.
struct ReceivedFrame {
    std::array<std::uint8_t, 8> header{};
    std::array<std::uint8_t, kPayloadArea> payload{};
    std::uint16_t payloadCount = 0;

    ReceivedFrame() { payload.fill(0xFF); }
    std::uint8_t command() const { return header[3]; }
    // The bytes the reply carries.
    std::span<const std::uint8_t> Payload() const {
        return {payload.data(), std::min<std::size_t>(payloadCount, payload.size())};
    }
    std::uint16_t length() const { return static_cast<std::uint16_t>(header[1] | header[2] << 8); }
};

// Decodes the bytes strictly between the two delimiters of a raw frame and appends
// 0xA5, the decoded bytes, 0xA5 to out. An escape code other than 0x05/0x0A is dropped
// and the next byte is taken as the code.
void UnescapeFrame(std::span<const std::uint8_t> raw, std::vector<std::uint8_t>& out);

// Walks a decoded frame and returns it when it reaches its end with a matching check.
// A check byte that does not match is skipped while the position stays, so a frame with
// a wrong check never completes. A length field below 5 or above 261 (more payload than
// the 256-byte area) makes the frame malformed: it is never returned.
std::optional<ReceivedFrame> ParseFrame(std::span<const std::uint8_t> decoded);

// Receive path for single bytes from the line. Noise outside a frame is discarded; the
// 0xA5 that closes a frame never opens the next.
//
// Two delimiters with nothing between them are not a frame: the second 0xA5 starts the
// frame instead of closing it. Otherwise one stray 0xA5 on the line (or a lost end
// delimiter) would put the assembler out of step for good, every later reply being split
// between the end delimiter of one reply and the start delimiter of the next.
//
// When a frame closes, all receive state is reset before anything is called back, and
// the frame handed on is a copy: a callback may feed further bytes (a modal box runs a
// nested event loop that delivers them) without touching the frame being handled.
//
// A frame that has not closed when its raw bytes fill kRawBufferSize is discarded at that
// limit and the assembler returns to Idle: the next 0xA5 opens a new frame.
class FrameAssembler {
  public:
    using RawHandler = std::function<void(std::span<const std::uint8_t>)>;
    using AcceptHandler = std::function<void()>;
    using FrameHandler = std::function<void(const ReceivedFrame&)>;

    // Every complete raw frame, still stuffed, delimiters included, valid or not.
    void SetOnRawFrame(RawHandler handler) { onRaw_ = std::move(handler); }
    // Announces an accepted frame just before it is dispatched.
    void SetOnAccepted(AcceptHandler handler) { onAccepted_ = std::move(handler); }
    // Receives every accepted frame.
    void SetOnFrame(FrameHandler handler) { onFrame_ = std::move(handler); }

    void Feed(std::uint8_t byte);
    // Same result as feeding the bytes one at a time, only faster. Bytes fed from inside a
    // callback are taken after the rest of the run being fed around it.
    void Feed(std::span<const std::uint8_t> bytes);

    // Back to Idle with empty buffers.
    void Reset();

    bool InFrame() const { return inFrame_; }
    std::size_t PendingBytes() const { return raw_.size(); }

  private:
    // Takes bytes from the front of `bytes` into the frame; returns how many. Sets `closed`
    // when the last of them closed a frame, which is then in raw_.
    std::size_t Take(std::span<const std::uint8_t> bytes, bool& closed);
    void CompleteFrame();
    // Empties the queue of runs when a Feed ends, by its return or by a callback's throw.
    struct QueueReset {
        FrameAssembler& assembler;
        ~QueueReset() {
            assembler.input_.clear();
            assembler.inputHead_ = 0;
        }
    };

    bool inFrame_ = false;
    std::vector<std::uint8_t> raw_;
    // The raw buffer of the previous frame, kept so that raw_ keeps its capacity from frame
    // to frame without sharing storage with a frame still being handled.
    std::vector<std::uint8_t> spareRaw_;
    std::vector<std::uint8_t> decoded_;
    // Runs being fed, oldest first, each cut down to what is not taken yet.
    std::vector<std::span<const std::uint8_t>> input_;
    std::size_t inputHead_ = 0;
    RawHandler onRaw_;
    AcceptHandler onAccepted_;
    FrameHandler onFrame_;
};

}  // namespace lgcset::protocol
