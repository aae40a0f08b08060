// The window's connection: the port list, opening and closing the device link, the
// conversation with the logger on the resend timer and what it reports, the traffic log,
// and the job the buttons started last. The widgets are the form's.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "jobs/job.h"
#include "protocol/frame_codec.h"
#include "session/device_session.h"
#include "session/link.h"
#include "session/logger_session.h"
#include "session/serial_link.h"
#include "ui/qt_resend_timer.h"

namespace lgcset::ui {

class Tfrm_mset;
class TrafficLog;

class ConnectionPresenter final : private session::SessionObserver {
  public:
    // `serial` serves every port name but the simulated logger's.
    ConnectionPresenter(Tfrm_mset& form, session::SerialLink& serial);

    session::LoggerSession& Session() { return *session_; }
    session::DeviceSession& Device() { return *device_; }

    // ---- The port list.
    void FillPortList();
    void RefreshPortList();
    void SetPortSource(std::function<std::vector<std::string>()> source);
    void UseSimulatedLogger(const std::string& portPath, const std::string& model);
    void UseSimulatedLogger(std::unique_ptr<session::Link> line, const std::string& name,
                            const std::string& model);

    // ---- The device link. Close: false when it was closed already.
    void OpenOrClose();
    bool Close(bool lineLost);
    void Stop();
    void OpenAuxiliaryPort();
    void CloseAuxiliaryPort();
    void DisableDeviceButtons();
    void EnableDeviceButtons();

    // ---- Send path.
    void SetResendInterval(int milliseconds);

    // ---- The traffic log.
    void EchoSent(std::span<const std::uint8_t> bytes);
    void EchoReceived(std::span<const std::uint8_t> bytes);
    void FlushTrafficLog();
    void ClearSentLog();

    // ---- The running job: it takes the place of the one before; what the conversation
    // reports is passed on to it. `ended` is called once when it ends (not when another
    // takes its place first).
    void RunJob(std::shared_ptr<jobs::Job> job, std::function<void()> ended = {});
    void EndJob(jobs::LineEnd why);
    void PassOutcome(const protocol::OperationOutcome& outcome);
    void PassData(const protocol::ReceivedFrame& frame);

  private:
    session::Link& LineFor(const std::string& name);
    void CallIfEnded(const std::shared_ptr<jobs::Job>& job);
    // session::SessionObserver
    void OnSent(std::span<const std::uint8_t> stuffed) override;
    void OnRawFrame(std::span<const std::uint8_t> raw) override;
    void OnFrame(const protocol::ReceivedFrame& frame) override;
    void OnResendStatus(const std::string& panelText) override;
    void OnTimeout() override;
    void OnLinkLost() override;

    Tfrm_mset& form_;
    session::SerialLink& serial_;
    // Demo mode's line (the simulated logger inside the program) and the name it is listed
    // under.
    std::unique_ptr<session::Link> simulatedLink_;
    std::string simulatedName_;
    std::function<std::vector<std::string>()> portSource_;
    std::unique_ptr<QtResendTimer> resendTimer_;
    std::unique_ptr<session::LoggerSession> session_;
    std::unique_ptr<session::DeviceSession> device_;
    // Shared: a box of its own may start the next one.
    std::shared_ptr<jobs::Job> job_;
    std::function<void()> ended_;
    TrafficLog* sentLog_ = nullptr;      // owned by mmo1
    TrafficLog* receivedLog_ = nullptr;  // owned by mmo2
};

}  // namespace lgcset::ui
