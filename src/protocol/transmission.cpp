#include "protocol/transmission.h"

namespace lgcset::protocol {

namespace {

constexpr std::size_t kReceivedBytesPerLine = 21;

void AppendHexByte(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text.push_back(' ');
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

}  // namespace

std::vector<std::string> EchoReceived(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendHexByte(line, bytes[i]);
        if ((i + 1) % kReceivedBytesPerLine == 0) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

void AppendEchoReceived(std::string& text, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendHexByte(text, bytes[i]);
        if ((i + 1) % kReceivedBytesPerLine == 0) {
            text.push_back('\n');
        }
    }
    text.push_back('\n');
}

void ResendTracker::OnSend(std::span<const std::uint8_t> stuffed) {
    copy_.assign(stuffed.begin(), stuffed.end());
    resendCount_ = 0;
    active_ = true;
}

std::string ResendPanelText(int resendCount) {
    return "resend:" + std::to_string(resendCount);
}

ResendTick ResendTracker::OnTick() {
    ResendTick tick;
    if (!active_) {
        return tick;
    }
    if (resendCount_ != 0) {
        tick.panelText = ResendPanelText(resendCount_);
    }
    if (resendCount_ >= kMaxResends) {
        tick.timeout = true;
        active_ = false;
        return tick;
    }
    tick.resend = copy_;
    ++resendCount_;
    return tick;
}

}  // namespace lgcset::protocol
