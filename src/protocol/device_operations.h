// Reply dispatch and the multi-step operations on the logger: login, reading and
// writing the four parameter pages, factory reset.
//
// Replies are not matched to requests: the command code alone selects the action and a
// stage counter holds the position inside a read or a write. Everything the operations do
// to the outside world (sending, message boxes, the page codec, the progress bar) goes
// through DeviceHost, which the window implements; the logic here has no widgets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/frame_codec.h"

namespace lgcset::protocol {

// The messages of the operations and replies that a host without a window tells success
// and refusal by.
inline constexpr std::string_view kLoginSuccessMessage = "Login success.";
inline constexpr std::string_view kLoginFailureMessage =
    "Login failure! Please enter the device password correctly.";
inline constexpr std::string_view kReadDoneMessage = "Uploading device parameters successfully.";
inline constexpr std::string_view kSaveDoneMessage = "saved successfully.";
inline constexpr std::string_view kEraseFailureMessage = "erase failure!";
inline constexpr std::string_view kSaveFailureMessage = "saved failure!";
inline constexpr std::string_view kResetDoneMessage =
    "Reset to factory mode successfully.All parameters are back to default settings.";
inline constexpr std::string_view kResetFailureMessage = "Reset to factory mode failure!";
inline constexpr std::string_view kOperateSuccessMessage = "operate successfully.";
inline constexpr std::string_view kOperateFailureMessage = "operate failure!";
inline constexpr std::string_view kTimeSetMessage = "time setting successfully";
inline constexpr std::string_view kTimeSetFailureMessage = "time setting failure!";

// The answer that a Yes/No question gives when the user only confirms it (Enter).
enum class DefaultAnswer { Yes, No };

class DeviceHost {
  public:
    virtual ~DeviceHost() = default;

    // Modal boxes: they block until closed, and the steps after them run only then. While
    // one is open, the host goes on serving the line and the user's other windows, so the
    // link may be closed before it returns.
    virtual void ShowMessage(std::string_view text) = 0;
    virtual bool AskYesNo(std::string_view text, DefaultAnswer defaultAnswer) = 0;

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

    // Progress bar pb_write (0..80) and status bar panel 2.
    virtual void SetProgress(int position) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
    virtual void ClearStatusText() = 0;
    virtual void RepaintStatus() = 0;

    // After a successful login.
    virtual void EnableDeviceButtons() = 0;
    virtual void ApplyDeviceIdentity() = 0;

    // Data replies, handled by the tools that asked for them.
    virtual void OnCurrentData(const ReceivedFrame& frame) = 0;
    virtual void OnHistoryCount(const ReceivedFrame& frame) = 0;
    virtual void OnHistoryRecord(const ReceivedFrame& frame) = 0;
    virtual void ShowDeviceTime(const ReceivedFrame& frame) = 0;
    virtual void ShowDebugData(const ReceivedFrame& frame) = 0;
    // 1 after "Debug ON", 0 after "Debug OFF": words the debug mode replies.
    virtual int DebugMode() const = 0;
};

class DeviceOperations {
  public:
    explicit DeviceOperations(DeviceHost& host) : host_(host) {}

    void Login();         // btn7Click
    void ReadSettings();  // btn_loadClick
    void SaveSettings();  // btn_downClick
    void FactoryReset();  // btn_industrialClick

    void DispatchResponse(const ReceivedFrame& frame);

    // The link has closed: a settings read or write that is running ends where it stands
    // (its stage stays, its bar is hidden), and nothing that was started before goes on to
    // the logger: neither a step that waited in a message box nor a late page reply, which
    // is dropped until the same operation is started again. The settings shown stay as
    // they are.
    void Abort();

    std::uint8_t WriteStage() const { return writeStage_; }
    std::uint8_t ReadStage() const { return readStage_; }
    bool ReadRunning() const { return read_ == Sequence::Running; }
    bool WriteRunning() const { return write_ == Sequence::Running; }

  private:
    // Idle: never started, finished or refused (replies are taken as their code says);
    // Running; Ended by Abort (its replies are dropped).
    enum class Sequence : std::uint8_t { Idle, Running, Ended };

    void WriteStepAfterErase();
    void WriteStepAfterWrite();
    void ReadStep(const ReceivedFrame& frame);
    // True when Abort ran since `aborts` was taken (inside a box of the step).
    bool AbortedSince(std::uint32_t aborts) const { return aborts_ != aborts; }

    DeviceHost& host_;
    std::uint8_t writeStage_ = 0;  // pages whose erase was acknowledged in this write
    std::uint8_t readStage_ = 0;   // pages already received in this read
    Sequence read_ = Sequence::Idle;
    Sequence write_ = Sequence::Idle;
    std::uint32_t aborts_ = 0;
};

}  // namespace lgcset::protocol
