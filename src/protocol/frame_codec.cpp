#include "protocol/frame_codec.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace lgcset::protocol {

std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes, std::size_t first,
                            std::size_t last) {
    if (last < first) {
        return 0;
    }
    std::uint16_t sum = 0;
    for (std::size_t i = first; i <= last && i < bytes.size(); ++i) {
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    }
    return static_cast<std::uint16_t>(~sum);
}

void EscapeFrame(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out) {
    if (frame.size() < 2) {
        out.insert(out.end(), frame.begin(), frame.end());
        return;
    }
    out.reserve(out.size() + frame.size() * 2);
    out.push_back(frame.front());
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        const std::uint8_t b = frame[i];
        if (b == kDelimiter) {
            out.push_back(kEscape);
            out.push_back(0x05);
        } else if (b == kEscape) {
            out.push_back(kEscape);
            out.push_back(0x0A);
        } else {
            out.push_back(b);
        }
    }
    out.push_back(frame.back());
}

std::vector<std::uint8_t> EscapeFrame(std::span<const std::uint8_t> frame) {
    std::vector<std::uint8_t> out;
    EscapeFrame(frame, out);
    return out;
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> frame;
    BuildFrame(command, payload, frame);
    return frame;
}

void BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload,
                std::vector<std::uint8_t>& frame) {
    assert(payload.size() <= 0xFFFF - kMinLength);
    const auto length = static_cast<std::uint16_t>(kMinLength + payload.size());
    frame.clear();
    frame.reserve(length + 6u);
    frame.push_back(kDelimiter);
    frame.push_back(static_cast<std::uint8_t>(length & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(length >> 8));
    frame.push_back(command);
    frame.insert(frame.end(), kRequestHeader.begin(), kRequestHeader.end());
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t check = FrameChecksum(frame, 1, frame.size() - 1);
    frame.push_back(static_cast<std::uint8_t>(check & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(check >> 8));
    frame.push_back(kDelimiter);
}

void UnescapeFrame(std::span<const std::uint8_t> raw, std::vector<std::uint8_t>& out) {
    out.push_back(kDelimiter);
    if (raw.size() > 2) {
        // Runs without an escape are copied whole; escapes are rare in real traffic.
        const std::uint8_t* next = raw.data() + 1;
        const std::uint8_t* const end = raw.data() + raw.size() - 1;
        bool escapePending = false;
        while (next != end) {
            if (!escapePending) {
                const std::uint8_t* const escape = std::find(next, end, kEscape);
                out.insert(out.end(), next, escape);
                if (escape == end) {
                    break;
                }
                escapePending = true;
                next = escape + 1;
                continue;
            }
            const std::uint8_t code = *next++;
            if (code == 0x05) {
                out.push_back(kDelimiter);
                escapePending = false;
            } else if (code == 0x0A) {
                out.push_back(kEscape);
                escapePending = false;
            }
            // Any other code is dropped and the escape stays pending for the next byte.
        }
    }
    out.push_back(kDelimiter);
}

std::optional<ReceivedFrame> ParseFrame(std::span<const std::uint8_t> decoded) {
    const std::uint8_t* next = decoded.data();
    const std::uint8_t* const end = next + decoded.size();

    // Position 0: bytes before the start delimiter are skipped.
    next = std::find(next, end, kDelimiter);
    if (next == end) {
        return std::nullopt;
    }
    ++next;

    // Positions 1..7: length, command, header bytes.
    ReceivedFrame frame;
    frame.header[0] = kDelimiter;
    if (end - next < 7) {
        return std::nullopt;
    }
    std::copy_n(next, 7, frame.header.begin() + 1);
    next += 7;
    const std::size_t length = frame.length();
    if (length < kMinLength || length > kMaxLength) {
        return std::nullopt;  // malformed: cannot be dispatched
    }

    // Positions 8..L+2: the payload. The check sums the bytes at positions 1..L+2.
    const std::size_t payloadSize = length - kMinLength;
    if (static_cast<std::size_t>(end - next) < payloadSize) {
        return std::nullopt;
    }
    std::copy_n(next, payloadSize, frame.payload.begin());
    frame.payloadCount = static_cast<std::uint16_t>(payloadSize);
    unsigned sum = 0;
    for (std::size_t k = 1; k < frame.header.size(); ++k) {
        sum += frame.header[k];
    }
    for (std::size_t k = 0; k < payloadSize; ++k) {
        sum += next[k];
    }
    next += payloadSize;
    const auto check = static_cast<std::uint16_t>(~sum);

    // Positions L+3 and L+4: a byte that is not the expected check byte is skipped and the
    // position stays, so a frame with a wrong check never completes.
    next = std::find(next, end, static_cast<std::uint8_t>(check & 0xFF));
    if (next == end) {
        return std::nullopt;
    }
    next = std::find(next + 1, end, static_cast<std::uint8_t>(check >> 8));
    if (next == end) {
        return std::nullopt;
    }
    // Position L+5: the end byte is there but not examined.
    if (next + 1 == end) {
        return std::nullopt;
    }
    return frame;
}

void FrameAssembler::Feed(std::uint8_t byte) {
    if (inputHead_ != input_.size()) {
        Feed(std::span<const std::uint8_t>(&byte, 1));  // behind a run being fed
        return;
    }
    if (!inFrame_) {
        if (byte == kDelimiter) {
            raw_.clear();
            raw_.push_back(byte);
            inFrame_ = true;
        }
        return;
    }
    if (byte == kDelimiter && raw_.size() == 1) {
        return;  // empty frame: this delimiter is the start of the frame
    }
    raw_.push_back(byte);
    if (byte == kDelimiter) {
        CompleteFrame();
    } else if (raw_.size() >= kRawBufferSize) {
        Reset();  // never closed within the raw buffer: give the frame up
    }
}

void FrameAssembler::Feed(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    // Bytes fed from inside a callback came later on the line than what is left of the
    // run being fed around it: they wait behind it, and whichever call runs takes the
    // queue in order. No call returns before the queue is empty, so every run it holds
    // is still the caller's.
    input_.push_back(bytes);
    // Emptied however the loop ends: when a callback throws, the runs of the calls it
    // leaves are no longer theirs to give.
    const QueueReset reset{*this};
    while (inputHead_ < input_.size()) {
        const std::span<const std::uint8_t> rest = input_[inputHead_];
        if (rest.empty()) {
            ++inputHead_;
            continue;
        }
        bool closed = false;
        const std::size_t taken = Take(rest, closed);
        input_[inputHead_] = rest.subspan(taken);  // before a callback may feed more
        if (closed) {
            CompleteFrame();
        }
    }
}

std::size_t FrameAssembler::Take(std::span<const std::uint8_t> bytes, bool& closed) {
    const std::uint8_t* const first = bytes.data();
    const std::uint8_t* const end = first + bytes.size();
    if (!inFrame_) {
        const std::uint8_t* const start = std::find(first, end, kDelimiter);
        if (start != end) {
            raw_.clear();
            raw_.push_back(kDelimiter);
            inFrame_ = true;
            return static_cast<std::size_t>(start - first) + 1;
        }
        return bytes.size();  // noise outside a frame
    }
    // In a frame: everything up to the closing delimiter in one go, but never more than
    // the raw buffer can hold.
    const std::size_t room = kRawBufferSize - raw_.size();
    const std::uint8_t* const limit = bytes.size() > room ? first + room : end;
    const std::uint8_t* const close = std::find(first, limit, kDelimiter);
    if (close == first && raw_.size() == 1) {
        return 1;  // empty frame: this delimiter is the start of the frame
    }
    if (close != limit) {
        raw_.insert(raw_.end(), first, close + 1);
        closed = true;
        return static_cast<std::size_t>(close - first) + 1;
    }
    raw_.insert(raw_.end(), first, limit);
    if (raw_.size() >= kRawBufferSize) {
        Reset();  // never closed within the raw buffer: give the frame up
    }
    return static_cast<std::size_t>(limit - first);
}

void FrameAssembler::Reset() {
    inFrame_ = false;
    raw_.clear();
}

void FrameAssembler::CompleteFrame() {
    // Take the frame out and return to Idle before calling anybody back, so that a callback
    // may feed the next frame's bytes (a modal box in the dispatcher runs a nested event
    // loop) without touching the frame being handled.
    std::vector<std::uint8_t> raw = std::exchange(raw_, std::move(spareRaw_));
    raw_.clear();
    inFrame_ = false;

    decoded_.clear();
    UnescapeFrame(raw, decoded_);
    const std::optional<ReceivedFrame> frame = ParseFrame(decoded_);
    if (onRaw_) {
        onRaw_(raw);
    }
    if (frame) {
        if (onAccepted_) {
            onAccepted_();
        }
        if (onFrame_) {
            onFrame_(*frame);
        }
    }
    spareRaw_ = std::move(raw);
}

}  // namespace lgcset::protocol
