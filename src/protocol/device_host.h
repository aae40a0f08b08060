// What the device operations need of whoever runs them, in two halves: the requests they
// send and the state they keep (DeviceRequests), and what they tell about their progress
// and their ends (DeviceObserver). A program without a window implements both; nothing in
// the requests half shows anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/frame_codec.h"
#include "protocol/operation_outcome.h"

namespace lgcset::protocol {

class DeviceRequests {
  public:
    virtual ~DeviceRequests() = default;

    // Requests (each ends in the single send path with resend and timeout).
    virtual void SendLogin() = 0;
    virtual void SendReadPage(std::uint32_t address) = 0;
    virtual void SendErasePage(std::uint32_t address) = 0;
    virtual void SendWritePage(std::uint32_t address) = 0;  // image bytes address..+255
    virtual void SendRequest(std::uint8_t requestType) = 0;

    // The parameter image and the page codec.
    virtual void ClearImage() = 0;
    virtual void StoreReplyPage(std::uint32_t address, const ReceivedFrame& frame) = 0;
    virtual void EncodePage(std::uint32_t address) = 0;
    virtual void DecodePage(std::uint32_t address) = 0;
    // When a setting cannot be written as it stands: the message that names it (and says
    // that nothing was sent). A save then sends nothing at all.
    virtual std::optional<std::string> InvalidSettingsMessage() = 0;

    // How often the send path re-sent the request last sent before a reply came.
    virtual int ResendsOfLastRequest() const { return 0; }
    // A reply just handled was not the answer to the request last sent: its re-sends go on.
    virtual void ResumeResend() {}
};

// The answer that a Yes/No question gives when the user only confirms it (Enter).
enum class DefaultAnswer { Yes, No };

class DeviceObserver {
  public:
    virtual ~DeviceObserver() = default;

    // The end of an operation. Like a modal box it may block until the user has seen it,
    // and the steps after it run only then; meanwhile the host goes on serving the line
    // and the user's other windows, so the link may be closed before it returns.
    virtual void Report(const OperationOutcome& outcome) = 0;
    // Modal as Report. Without anyone to ask, the question's default answer holds, which
    // for a factory reset is No.
    virtual bool AskYesNo([[maybe_unused]] std::string_view text, DefaultAnswer defaultAnswer) {
        return defaultAnswer == DefaultAnswer::Yes;
    }

    // Progress bar pb_write (0..80) and status bar panel 2.
    virtual void SetProgress([[maybe_unused]] int position) {}
    virtual void SetProgressVisible([[maybe_unused]] bool visible) {}
    virtual void ClearStatusText() {}
    virtual void RepaintStatus() {}

    // After a successful login: the buttons that need a logged-in device, and the lists
    // and codes of the logger's model taken from the login reply (which the settings of a
    // later save are encoded with, so every host must apply them).
    virtual void EnableDeviceButtons() {}
    virtual void ApplyDeviceIdentity() = 0;

    // Data replies, handled by the tools that asked for them.
    virtual void OnCurrentData([[maybe_unused]] const ReceivedFrame& frame) {}
    virtual void OnHistoryCount([[maybe_unused]] const ReceivedFrame& frame) {}
    virtual void OnHistoryRecord([[maybe_unused]] const ReceivedFrame& frame) {}
    virtual void ShowDeviceTime([[maybe_unused]] const ReceivedFrame& frame) {}
    // The reply to DeviceOperations::ReadPageAlone.
    virtual void OnPage([[maybe_unused]] const ReceivedFrame& frame) {}
    virtual void ShowDebugData([[maybe_unused]] const ReceivedFrame& frame) {}
    // 1 after "Debug ON", 0 after "Debug OFF": words the debug mode replies.
    virtual int DebugMode() const { return 0; }
};

}  // namespace lgcset::protocol
