// Runs jobs against the simulated logger inside the process, as a host without a window
// does: the session's loop until the job has ended, the line's end passed on. A short
// re-send interval makes a logger that stopped answering give up within a fraction of a
// second.
#pragma once

#include <chrono>

#include "jobs/job.h"
#include "protocol/device_host.h"
#include "session/device_session.h"
#include "session/logger_session.h"
#include "session/session_loop.h"
#include "session/simulated_link.h"
#include "settings/channel_layout.h"
#include "settings/settings_model.h"

namespace lgcset::jobs::test {

class JobHost final : public protocol::DeviceObserver, private session::SessionObserver {
  public:
    explicit JobHost(sim::Options logger) : line_(loop_.Sink(), std::move(logger)) {
        session_.SetResendInterval(std::chrono::milliseconds(20));
        opened = !session_.Open(line_, "simulated");
        settings.SetText("edt_setpwd", "8604");
    }

    void Run(Job& job) {
        job_ = &job;
        job.Start();
        loop_.RunUntil(session_, [&] { return job.Ended() || timedOut_; });
        if (!job.Ended())
            job.OnLineEnded(LineEnd::Timeout);
        job_ = nullptr;
    }

    session::DeviceSession& Device() { return device_; }
    // After a timeout: the same line, answering again.
    void ResetTimeout() { timedOut_ = false; }

    settings::SettingsModel settings;
    bool opened = false;
    // Replies past this many are not passed on: the logger seems to stop answering.
    std::size_t answerFrames = static_cast<std::size_t>(-1);
    std::size_t frames = 0;   // replies passed on
    std::size_t reports = 0;  // outcomes passed on

  private:
    void Report(const protocol::OperationOutcome& outcome) override {
        ++reports;
        if (job_ != nullptr)
            job_->OnOutcome(outcome);
    }
    void ApplyDeviceIdentity() override {
        settings::ApplyDeviceIdentity(settings, device_.Image(), device_.Codes());
    }
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override { Data(frame); }
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override { Data(frame); }
    void OnPage(const protocol::ReceivedFrame& frame) override { Data(frame); }
    void Data(const protocol::ReceivedFrame& frame) {
        if (job_ != nullptr)
            job_->OnData(frame);
    }

    void OnFrame(const protocol::ReceivedFrame& frame) override {
        if (frames >= answerFrames)
            return session_.ResumeResend();
        ++frames;
        device_.Dispatch(frame);
    }
    void OnTimeout() override { timedOut_ = true; }

    session::SessionLoop loop_;
    session::SimulatedLink line_;
    session::LoggerSession session_{loop_.Timer(), *this};
    session::DeviceSession device_{session_, settings, *this};
    Job* job_ = nullptr;
    bool timedOut_ = false;
};

}  // namespace lgcset::jobs::test
