// The pure part of the send path: the received-traffic log text and the resend bookkeeping
// (sent frames are logged with the hex text of data/hex_text.h). The window owns the memos,
// the port and the 1000 ms resend timer and acts on what these say.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lgcset::protocol {

// The lines that a received raw frame adds to the received-traffic log: " XX" per byte,
// 21 bytes a line, then the remaining line, which is empty when the length is a multiple
// of 21.
std::vector<std::string> EchoReceived(std::span<const std::uint8_t> bytes);
// The same lines appended to `text`, each followed by '\n'; nothing is allocated once
// `text` has the room.
void AppendEchoReceived(std::string& text, std::span<const std::uint8_t> bytes);

// What one tick of the resend timer has to do, in this order.
struct ResendTick {
    // Text for status panel 2 ("resend:<n>") when a re-send has already happened.
    std::optional<std::string> panelText;
    // Give up: stop the timer, show "Send command timeout", empty panel 2.
    bool timeout = false;
    // Otherwise the stuffed bytes to write again (and to echo).
    std::vector<std::uint8_t> resend;
};

// Status panel 2 while a request is re-sent: "resend:1" .. "resend:3".
std::string ResendPanelText(int resendCount);

// ResendCopy and ResendCount of the one outstanding request. A request is written at most
// four times: the send and three re-sends, one per tick; the fourth tick times out.
class ResendTracker {
  public:
    static constexpr int kMaxResends = 3;

    // A new send replaces whatever was being re-sent and starts counting at 0.
    void OnSend(std::span<const std::uint8_t> stuffed);
    // One timer tick. A tick while stopped does nothing.
    ResendTick OnTick();
    // A valid reply arrived, or the user stopped: no more re-sends.
    void Stop() { active_ = false; }
    // The frame that stopped the re-sends was not the request's reply after all: they go on
    // where they stood.
    void Resume() { active_ = !copy_.empty(); }

    bool Active() const { return active_; }
    int ResendCount() const { return resendCount_; }
    std::span<const std::uint8_t> ResendCopy() const { return copy_; }

  private:
    std::vector<std::uint8_t> copy_;
    int resendCount_ = 0;
    bool active_ = false;
};

}  // namespace lgcset::protocol
