#include "jobs/settings_jobs.h"

#include "session/device_identity.h"
#include "settings/channel_layout.h"
#include "settings/held_settings.h"
#include "settings/page_layout.h"
#include "settings/parameter_image.h"

namespace lgcset::jobs {

namespace {

using protocol::Operation;
using protocol::Result;

// The page a read was waiting for when it ended: the first of those not yet received.
std::uint32_t PageAwaited(const std::map<std::uint32_t, Page>& received) {
    for (const std::uint32_t address : settings::kSettingsPages)
        if (!received.contains(address))
            return address;
    return settings::kSettingsPages.back();
}

}  // namespace

void DecodePages(const std::map<std::uint32_t, Page>& pages,
                 std::span<const std::uint8_t> loginReply, settings::SettingsModel& model) {
    settings::CodeTables codes;
    session::ApplyIdentity(model, loginReply, codes);
    settings::ParameterImage image;
    for (const std::uint32_t address : settings::kSettingsPages) {
        const auto page = pages.find(address);
        if (page != pages.end())
            image.Store(address, page->second);
        settings::DecodePage(address, model, image, codes);
    }
}

// ---- Read ---------------------------------------------------------------------------------

void ReadSettingsJob::Start() {
    device_.ForgetPages();
    device_.Operations().ReadSettings();
}

void ReadSettingsJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    if (!Ended() && outcome.operation == Operation::ReadSettings && outcome.result == Result::Done)
        result_ = ReadSettingsResult{};
}

void ReadSettingsJob::OnLineEnded(LineEnd why) {
    if (!Ended())
        result_ = {ReadSettingsResult::End::LineEnded, why, PageAwaited(device_.ReadPages())};
}

// ---- Write --------------------------------------------------------------------------------

void WriteSettingsJob::Start() {
    device_.ForgetPages();
    device_.WriteTheseNext(pages_);
    device_.Operations().SaveSettings();
}

void WriteSettingsJob::EndWith(WriteSettingsResult::End end) {
    device_.WriteTheseNext({});  // a later save encodes its own settings
    result_.emplace();
    result_->end = end;
    result_->readingBack = readingBack_;
    result_->pagesHeld = allPagesWent_ ? settings::kSettingsPages.size()
                                       : device_.Operations().PagesAcknowledged();
}

void WriteSettingsJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    using End = WriteSettingsResult::End;
    if (Ended())
        return;
    if (readingBack_) {
        if (outcome.operation == Operation::ReadSettings && outcome.result == Result::Done)
            Verify();
        return;
    }
    // A save ends refused, or with the reply to its closing request.
    if (outcome.operation == Operation::SaveSettings && outcome.result == Result::Done)
        allPagesWent_ = true;
    if (outcome.operation == Operation::SaveSettings && outcome.result != Result::Done) {
        EndWith(outcome.result == Result::Invalid ? End::Invalid : End::Refused);
        result_->refusal = outcome;
    } else if (outcome.operation == Operation::FinishWrite) {
        if (outcome.result != Result::Done) {
            EndWith(End::Refused);
            result_->refusal = outcome;
        } else if (!typed_) {
            EndWith(End::Written);
        } else {
            // The read forgets the pages that went: they are what the logger must hold.
            written_ = device_.WrittenPages();
            readingBack_ = true;
            device_.ForgetPages();
            device_.Operations().ReadSettings();
        }
    }
}

void WriteSettingsJob::Verify() {
    using End = WriteSettingsResult::End;
    const std::map<std::uint32_t, Page>& logger = device_.ReadPages();
    settings::SettingsModel held;
    DecodePages(logger, device_.LoginReply(), held);
    std::vector<settings::SettingDifference> differences = settings::DiffHeldSettings(held, *typed_);
    std::vector<ByteDifference> bytes;
    // Where every setting is held, a byte that no setting owns can still differ.
    if (differences.empty())
        for (const auto& [address, page] : written_) {
            const auto found = logger.find(address);
            for (std::size_t i = 0; i < page.size(); ++i) {
                const std::uint8_t kept = found == logger.end() ? 0xFF : found->second[i];
                if (kept != page[i])
                    bytes.push_back({address, i, kept, page[i]});
            }
        }
    EndWith(differences.empty() && bytes.empty() ? End::Verified : End::Differs);
    result_->settings = std::move(differences);
    result_->bytes = std::move(bytes);
}

void WriteSettingsJob::OnLineEnded(LineEnd why) {
    if (Ended())
        return;
    EndWith(WriteSettingsResult::End::LineEnded);
    result_->line = why;
    if (readingBack_)
        result_->page = PageAwaited(device_.ReadPages());
    else
        result_->pagesWritten = device_.WrittenPages().size();
}

// ---- Factory reset ------------------------------------------------------------------------

void FactoryResetJob::Start() {
    if (!device_.Operations().FactoryReset())
        result_ = {FactoryResetResult::End::NotSent};
}

void FactoryResetJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    if (Ended() || outcome.operation != Operation::FactoryReset)
        return;
    result_ = {outcome.result == Result::Done ? FactoryResetResult::End::Done
                                              : FactoryResetResult::End::Refused};
}

void FactoryResetJob::OnLineEnded(LineEnd why) {
    if (!Ended())
        result_ = {FactoryResetResult::End::LineEnded, why};
}

}  // namespace lgcset::jobs
