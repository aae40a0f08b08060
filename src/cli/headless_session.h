// The device link without a window: the serial port, the send path with its resend timer,
// the receive path, and the device operations hosted over the in-memory settings model.
// Each operation takes the line's events on the calling thread until the logger has given
// the reply that ends it, refused, or stopped answering.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/SerialComm.h"
#include "link/comm_event_sink.h"
#include "protocol/device_operations.h"
#include "protocol/frame_codec.h"
#include "protocol/request_params.h"
#include "protocol/transmission.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

// Exit statuses of the program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitRefused = 1,  // the logger refused, a check failed, or settings differ
    kExitUsage = 2,    // the command line or a file named on it is wrong
    kExitLink = 3,     // the port cannot be opened or the logger does not answer
};

// What an operation came to: kExitOk, or a status and the one line that says why.
struct Outcome {
    int status = kExitOk;
    std::string error;
    bool ok() const { return status == kExitOk; }
    static Outcome Failed(int status, std::string error) { return {status, std::move(error)}; }
};

using Page = std::array<std::uint8_t, 256>;

class HeadlessSession final : public protocol::DeviceHost {
  public:
    // The settings the operations read and write; it must outlive the session.
    explicit HeadlessSession(settings::SettingsModel& settings, int resendIntervalMs = 1000);
    ~HeadlessSession() override;

    Outcome Open(const std::string& port);
    // Logs in with the password in the settings' login box (edt_setpwd).
    Outcome Login();
    // The four pages into the settings (and into ReadPages()).
    Outcome ReadSettings();
    // The settings into the four pages, after the window's check; waits for the closing
    // request's reply.
    Outcome SaveSettings();
    Outcome FactoryReset();
    // One request of SendRequest's table, waiting for the reply with `reply`'s code; the
    // reply frame comes back in `frame`. The messages the dispatcher shows decide whether
    // the reply was a refusal: success when one of `successTexts` (or none at all when the
    // list is empty) was shown.
    Outcome Ask(std::uint8_t requestType, protocol::Command reply,
                protocol::ReceivedFrame* frame = nullptr,
                std::vector<std::string_view> successTexts = {});

    protocol::RequestParams& Params() { return params_; }
    const std::vector<std::uint8_t>& LoginReply() const { return loginReply_; }
    const std::map<std::uint32_t, Page>& ReadPages() const { return readPages_; }
    const std::map<std::uint32_t, Page>& WrittenPages() const { return writtenPages_; }

    // The data replies go to whoever asks for them (the history query).
    std::function<void(const protocol::ReceivedFrame&)> onHistoryCount;
    std::function<void(const protocol::ReceivedFrame&)> onHistoryRecord;

    // Delivers the line's events and runs the resend timer until done() holds, a request
    // timed out or the line was lost; false on the timeout or the loss.
    bool RunUntil(const std::function<bool()>& done);
    // The one line for a request that got no reply: the line was lost, or the logger did
    // not answer.
    std::string LinkError() const;

    // protocol::DeviceHost
    void ShowMessage(std::string_view text) override;
    bool AskYesNo(std::string_view text, protocol::DefaultAnswer defaultAnswer) override;
    void SendLogin() override;
    void SendReadPage(std::uint32_t address) override;
    void SendErasePage(std::uint32_t address) override;
    void SendWritePage(std::uint32_t address) override;
    void SendRequest(std::uint8_t requestType) override;
    void ClearImage() override;
    void StoreReplyPage(std::uint32_t address, const protocol::ReceivedFrame& frame) override;
    void EncodePage(std::uint32_t address) override;
    void DecodePage(std::uint32_t address) override;
    std::optional<std::string> InvalidSettingsMessage() override;
    void SetProgress(int) override {}
    void SetProgressVisible(bool) override {}
    void ClearStatusText() override {}
    void RepaintStatus() override {}
    void EnableDeviceButtons() override {}
    void ApplyDeviceIdentity() override;
    void OnCurrentData(const protocol::ReceivedFrame&) override {}
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override;
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override;
    void ShowDeviceTime(const protocol::ReceivedFrame&) override {}
    void ShowDebugData(const protocol::ReceivedFrame&) override {}
    int DebugMode() const override { return 0; }

  private:
    void TransmitFrame(std::span<const std::uint8_t> frame);
    void OnTick();
    void OnFrame(const protocol::ReceivedFrame& frame);
    // Messages shown since `from`, and whether one of them is `text`.
    bool ShownSince(std::size_t from, std::string_view text) const;
    // The refusal among the messages shown since `from`, if any.
    std::optional<std::string> RefusalSince(std::size_t from) const;
    std::size_t RepliesOf(protocol::Command command) const;

    settings::SettingsModel& settings_;
    link::BlockingCommQueue lineEvents_;
    link::TComm cm1_{lineEvents_};
    // The resend timer: its interval, and its next tick while it runs.
    std::chrono::milliseconds resendInterval_;
    std::optional<std::chrono::steady_clock::time_point> nextTick_;
    protocol::ResendTracker resend_;
    protocol::FrameAssembler assembler_;
    protocol::DeviceOperations operations_{*this};
    protocol::RequestParams params_;
    settings::ParameterImage image_;
    settings::CodeTables codes_;
    std::string port_;
    std::vector<std::uint8_t> loginReply_;
    std::map<std::uint32_t, Page> readPages_;
    std::map<std::uint32_t, Page> writtenPages_;
    std::map<std::uint8_t, std::size_t> replies_;  // frames dispatched, by command code
    std::optional<protocol::ReceivedFrame> lastFrame_;
    std::vector<std::string> messages_;
    std::optional<std::string> refusedSave_;
    bool timedOut_ = false;
    bool lineLost_ = false;
};

// A settings model as it stands after a login to the logger whose login reply is given:
// the model's lists and codes adapted to its channels, the codes in `codes`.
void ApplyIdentity(settings::SettingsModel& model, std::span<const std::uint8_t> loginReply,
                   settings::CodeTables& codes);

}  // namespace lgcset::cli
