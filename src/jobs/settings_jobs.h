// The settings' jobs: reading the four pages into the settings, writing them (and, when
// asked, reading them back to see that the logger holds them), and the factory reset.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "jobs/job.h"
#include "session/device_session.h"
#include "settings/settings_diff.h"
#include "settings/settings_model.h"

namespace lgcset::jobs {

using Page = session::Page;

// The settings that the pages give, decoded as a read does into a model adapted to the
// logger that gave the login reply (a page missing decodes as erased).
void DecodePages(const std::map<std::uint32_t, Page>& pages,
                 std::span<const std::uint8_t> loginReply, settings::SettingsModel& model);

struct ReadSettingsResult {
    enum class End { Done, LineEnded };
    End end = End::Done;
    LineEnd line = LineEnd::Closed;  // LineEnded: why
    std::uint32_t page = 0;          // LineEnded: the page that did not arrive
};

// The four pages into the settings (and into the session's ReadPages()).
class ReadSettingsJob final : public Job {
  public:
    explicit ReadSettingsJob(session::DeviceSession& device) : device_(device) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const ReadSettingsResult& Result() const { return *result_; }

  private:
    session::DeviceSession& device_;
    std::optional<ReadSettingsResult> result_;
};

// A byte of a written page that the logger holds otherwise and that no setting owns.
struct ByteDifference {
    std::uint32_t page = 0;
    std::size_t offset = 0;
    std::uint8_t logger = 0;
    std::uint8_t written = 0;
};

struct WriteSettingsResult {
    enum class End {
        Written,    // the four pages and the closing request went through; not read back
        Verified,   // read back: the logger holds what was written
        Differs,    // read back: `settings`, or where every setting is held `bytes`, differ
        Invalid,    // the check refused a setting before anything was sent: `refusal.detail`
        Refused,    // the logger refused: `refusal` says which step
        LineEnded,  // while writing (`pagesWritten` of 4 went) or reading back (`page`)
    };
    End end = End::Written;
    protocol::OperationOutcome refusal{protocol::Operation::SaveSettings, protocol::Result::Done};
    LineEnd line = LineEnd::Closed;
    bool readingBack = false;
    std::size_t pagesWritten = 0;  // LineEnded while writing: pages sent
    // Refused or LineEnded while writing: the pages the logger acknowledged, in the order
    // of the write; the others of the four it may lack (erased, or written but unanswered).
    std::size_t pagesHeld = 0;
    std::uint32_t page = 0;
    std::vector<settings::SettingDifference> settings;  // left: the logger's, right: typed
    std::vector<ByteDifference> bytes;
};

// The settings into the four pages after the window's check, ended by the reply to the
// closing request. Given the settings as typed, the pages are then read back and compared
// with them as the logger decodes them.
class WriteSettingsJob final : public Job {
  public:
    // The session's settings, encoded into a cleared image.
    explicit WriteSettingsJob(session::DeviceSession& device,
                              std::optional<settings::SettingsModel> verifyAgainst = {})
        : device_(device), typed_(std::move(verifyAgainst)) {}
    // These four pages as they are (a WritePlan's, or pages of a write to be made again).
    WriteSettingsJob(session::DeviceSession& device, std::map<std::uint32_t, Page> pages,
                     std::optional<settings::SettingsModel> verifyAgainst)
        : device_(device), typed_(std::move(verifyAgainst)), pages_(std::move(pages)) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const WriteSettingsResult& Result() const { return *result_; }

  private:
    void EndWith(WriteSettingsResult::End end);
    void Verify();

    session::DeviceSession& device_;
    std::optional<settings::SettingsModel> typed_;
    std::map<std::uint32_t, Page> pages_;
    std::map<std::uint32_t, Page> written_;
    bool allPagesWent_ = false;
    bool readingBack_ = false;
    std::optional<WriteSettingsResult> result_;
};

struct FactoryResetResult {
    enum class End {
        Done,
        NotSent,  // the question was answered No, or the link closed while it was asked
        Refused,
        LineEnded,
    };
    End end = End::Done;
    LineEnd line = LineEnd::Closed;
};

// Asks the host's Yes/No question first (DeviceObserver::AskYesNo); only a Yes resets.
class FactoryResetJob final : public Job {
  public:
    explicit FactoryResetJob(session::DeviceSession& device) : device_(device) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const FactoryResetResult& Result() const { return *result_; }

  private:
    session::DeviceSession& device_;
    std::optional<FactoryResetResult> result_;
};

}  // namespace lgcset::jobs
