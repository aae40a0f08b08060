// A logger inside the test and the session the jobs run on, hosted as lgcset-cli hosts them
// but in simulated time: when nothing is on its way from the logger, a second passes at once
// (the resend timer's interval). The line can be silenced or lost after so many replies.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "jobs/job.h"
#include "session/device_session.h"
#include "session/logger_session.h"
#include "session/simulated_link.h"
#include "settings/channel_layout.h"
#include "settings/settings_model.h"
#include "sim/options.h"
#include "support/fake_timer.h"

namespace lgcset::jobs {

// The simulated logger's line, which can stop passing requests or go away.
class TroubledLink final : public session::Link, private session::LinkListener {
  public:
    TroubledLink(link::CommEventSink& sink, const sim::Options& logger) : inner_(sink, logger) {
        inner_.SetListener(this);
    }
    std::optional<session::OpenFailure> Open(const std::string& name) override {
        return inner_.Open(name);
    }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (silent || lost_)
            return true;  // gone into a line that carries nothing
        ++awaited_;
        return inner_.Write(bytes);
    }
    const std::string& Name() const override { return inner_.Name(); }

    int Awaited() const { return awaited_; }
    sim::ParameterMemory Memory() const { return inner_.Memory(); }
    bool silent = false;
    int loseAfterReplies = -1;    // from now on; -1: never
    int silentAfterReplies = -1;  // from now on; -1: never

  private:
    void OnReceived(std::span<const std::uint8_t> bytes) override {
        --awaited_;  // the logger's line carries one reply a run
        if (lost_)
            return;
        // Silent before the reply is handled: the request it leads to is not carried.
        if (silentAfterReplies > 0 && --silentAfterReplies == 0)
            silent = true;
        listener()->OnReceived(bytes);
        if (loseAfterReplies > 0 && --loseAfterReplies == 0) {
            lost_ = true;
            listener()->OnLost();
        }
    }
    void OnLost() override { listener()->OnLost(); }

    session::SimulatedLink inner_;
    int awaited_ = 0;
    bool lost_ = false;
};

class SimulatedLogger final : private session::SessionObserver, private protocol::DeviceObserver {
  public:
    explicit SimulatedLogger(const sim::Options& logger = {}) : line_(queue_, logger) {
        settings.SetText("edt_setpwd", logger.password);
        EXPECT_FALSE(session_.Open(line_, "simulated logger"));
    }

    session::DeviceSession& Device() { return device_; }
    TroubledLink& Line() { return line_; }
    // The logger's parameter memory; the line is closed for it.
    sim::ParameterMemory Memory() {
        session_.Close();
        return line_.Memory();
    }

    // The job from its start to its end, as the hosts run it.
    void Run(Job& job) {
        job_ = &job;
        job.Start();
        while (!job.Ended()) {
            if (session_.Lost() || timedOut_) {
                job.OnLineEnded(session_.Lost() ? LineEnd::Lost : LineEnd::Timeout);
                break;
            }
            using Clock = link::BlockingCommQueue::Clock;
            if (line_.Awaited() > 0 && queue_.DeliverUntil(Clock::now() + kReplyWait) > 0)
                continue;
            if (!timer_.Active()) {
                ADD_FAILURE() << "the job waits for nothing";
                break;
            }
            timer_.Advance(session::LoggerSession::kResendInterval, session_);
        }
        job_ = nullptr;
    }

    // The line carries again after it fell silent, as when a cable is put back.
    void LineBack() {
        line_.silent = false;
        timedOut_ = false;
    }

    // Logs in with the logger's password, as a host does before any job.
    void LogIn() {
        device_.Operations().Login();
        while (loggedIn_ == 0 && queue_.DeliverUntil(link::BlockingCommQueue::Clock::now() +
                                                     kReplyWait) > 0) {
        }
        ASSERT_EQ(loggedIn_, 1) << "the logger refused the login";
    }

    lgcset::settings::SettingsModel settings;
    bool answerYes = true;        // to the factory reset's question
    std::size_t requestsSent = 0;  // by the session, re-sends included
    std::size_t reports = 0;       // operation outcomes reported

  private:
    static constexpr std::chrono::seconds kReplyWait{5};

    void OnSent(std::span<const std::uint8_t>) override { ++requestsSent; }
    void OnFrame(const protocol::ReceivedFrame& frame) override { device_.Dispatch(frame); }
    void OnTimeout() override { timedOut_ = true; }
    void OnLinkLost() override { session_.Close(); }

    void Report(const protocol::OperationOutcome& outcome) override {
        ++reports;
        if (outcome.operation == protocol::Operation::Login)
            loggedIn_ = outcome.result == protocol::Result::Done ? 1 : -1;
        if (job_ != nullptr)
            job_->OnOutcome(outcome);
    }
    bool AskYesNo(std::string_view, protocol::DefaultAnswer) override { return answerYes; }
    void ApplyDeviceIdentity() override {
        lgcset::settings::ApplyDeviceIdentity(settings, device_.Image(), device_.Codes());
    }
    void OnCurrentData(const protocol::ReceivedFrame& frame) override { PassOn(frame); }
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override { PassOn(frame); }
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override { PassOn(frame); }
    void OnPage(const protocol::ReceivedFrame& frame) override { PassOn(frame); }
    void ShowDeviceTime(const protocol::ReceivedFrame& frame) override { PassOn(frame); }
    void PassOn(const protocol::ReceivedFrame& frame) {
        if (job_ != nullptr)
            job_->OnData(frame);
    }

    link::BlockingCommQueue queue_;
    support::FakeTimer timer_;
    TroubledLink line_;
    session::LoggerSession session_{timer_, *this};
    session::DeviceSession device_{session_, settings, *this};
    Job* job_ = nullptr;
    int loggedIn_ = 0;
    bool timedOut_ = false;
};

}  // namespace lgcset::jobs
