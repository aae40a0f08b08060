// Replies carry no request number, and some carry nothing that tells which request they
// answer (a parameter page, a history record). A reply that came late, after its request
// had been re-sent, is followed by the reply to the re-send, which would be taken for the
// answer to the next request. Such a twin repeats the reply taken before it byte for byte.
//
// A request sent n times brings at most n replies, each of which the line may double: no
// more than 2n - 1 are dropped after the one taken, so a genuine reply identical to the
// one before is only asked for again by the re-sends, never lost.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/frame_codec.h"

namespace lgcset::protocol {

class LateTwinFilter {
  public:
    // `payload` was taken as the answer to a request that was re-sent `resends` times.
    void Took(std::span<const std::uint8_t> payload, int resends);
    // Whether `payload` is a twin of the reply taken last, within the replies its request
    // can still bring; a twin is counted, and used up.
    bool DropTwin(std::span<const std::uint8_t> payload);
    // Nothing taken before counts any more (a new request of another kind, a new line).
    void Forget() { left_ = 0; }

    std::uint32_t Dropped() const { return dropped_; }

  private:
    std::array<std::uint8_t, kPayloadArea> last_{};
    std::size_t size_ = 0;
    int left_ = 0;  // further replies the last taken one's request can still bring
    std::uint32_t dropped_ = 0;
};

}  // namespace lgcset::protocol
