#include "ui/settings_presenter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include "jobs/audit_entries.h"
#include "jobs/identify_job.h"
#include "jobs/settings_jobs.h"
#include "jobs/write_record.h"
#include "profiles/profile.h"
#include "project_version.h"
#include "settings/parameter_image.h"
#include "ui/connection_presenter.h"
#include "ui/message_box.h"
#include "ui/profile_file_names.h"
#include "ui/review_dialog.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

// A job, and what the window does once it has ended: after the boxes the ending shows.
class ThenJob final : public jobs::Job {
  public:
    ThenJob(std::shared_ptr<jobs::Job> job, QObject* context, std::function<void()> then)
        : job_(std::move(job)), context_(context), then_(std::move(then)) {}

    void Start() override {
        job_->Start();
        Check();
    }
    void OnOutcome(const protocol::OperationOutcome& outcome) override {
        job_->OnOutcome(outcome);
        Check();
    }
    void OnData(const protocol::ReceivedFrame& frame) override {
        job_->OnData(frame);
        Check();
    }
    void OnLineEnded(jobs::LineEnd why) override {
        job_->OnLineEnded(why);
        Check();
    }
    bool Ended() const override { return job_->Ended(); }

  private:
    void Check() {
        if (job_->Ended() && then_)
            QTimer::singleShot(0, context_, std::exchange(then_, nullptr));
    }

    std::shared_ptr<jobs::Job> job_;
    QObject* context_;
    std::function<void()> then_;
};

constexpr const char* kNothingToWrite =
    "The logger holds these settings already: nothing to write.";

}  // namespace

profiles::LoggerIdentity SettingsPresenter::Logger() const {
    return {form_.Settings().Text(settings::Setting::Model), form_.LoggerDeviceId()};
}

SettingsPresenter::SettingsPresenter(Tfrm_mset& form, ConnectionPresenter& connection,
                                     DialogRunner runDialog)
    : form_(form), connection_(connection), runDialog_(std::move(runDialog)) {}

void SettingsPresenter::Login() {
    connection_.RunJob(std::make_shared<jobs::LoginJob>(connection_.Device()));
}

void SettingsPresenter::ReadSettings() {
    auto read = std::make_shared<jobs::ReadSettingsJob>(connection_.Device());
    connection_.RunJob(read, [this, read] {
        if (read->Result().end == jobs::ReadSettingsResult::End::Done)
            form_.KeepReadSettings();
    });
}

void SettingsPresenter::SaveSettings() {
    // Refused by the operation's own check, in its own box, before anything goes.
    if (!settings::ValidateForSave(form_.Settings()).empty()) {
        connection_.RunJob(std::make_shared<jobs::WriteSettingsJob>(connection_.Device()));
        return;
    }
    // A restored snapshot is written over its own pages; taken now, as the read below
    // forgets them.
    const std::optional<jobs::Pages> restored = form_.RestoredPages();
    if (!form_.chk_review->isChecked()) {
        WriteUnreviewed(restored);
        return;
    }
    WithLoggerPages([this, restored] { Review(restored); });
}

void SettingsPresenter::WithLoggerPages(std::function<void()> then) {
    if (loggerPages_) {
        then();
        return;
    }
    // The review compares with what the logger holds: read it first, and then put back
    // what was in the widgets over what the read showed.
    auto typed = std::make_shared<settings::SettingsModel>();
    jobs::CopySettings(form_.Settings(), *typed);
    auto read = std::make_shared<jobs::ReadSettingsJob>(connection_.Device());
    connection_.RunJob(std::make_shared<ThenJob>(
        read, &form_, [this, read, typed, then = std::move(then)] {
            jobs::CopySettings(*typed, form_.Settings());
            if (read->Result().end == jobs::ReadSettingsResult::End::Done && loggerPages_)
                then();
        }));
}

void SettingsPresenter::NoteRead() {
    loggerPages_ = connection_.Device().ReadPages();
}

void SettingsPresenter::LoggedIn() {
    loggerPages_.reset();
    // Another logger must never receive this one's pages.
    if (rewrite_ && (rewrite_->port != form_.cbox_com->currentText() ||
                     rewrite_->loginReply != connection_.Device().LoginReply()))
        rewrite_.reset();
    if (!rewrite_)
        return;
    QTimer::singleShot(0, &form_, [this] {
        if (auto held = std::exchange(rewrite_, std::nullopt))
            Write(std::move(*held));
    });
}

settings::SettingsModel SettingsPresenter::LoggerSettings() const {
    settings::SettingsModel logger;
    jobs::DecodePages(*loggerPages_, connection_.Device().LoginReply(), logger);
    return logger;
}

void SettingsPresenter::Review(const std::optional<jobs::Pages>& restored) {
    settings::SettingsView& typed = form_.Settings();
    const settings::SettingsModel logger = LoggerSettings();
    std::vector<jobs::ReviewRow> rows = jobs::ReviewChanges(logger, typed);
    if (restored) {
        auto raw = jobs::RawByteChanges(*loggerPages_, *restored, typed, form_.Codes());
        rows.insert(rows.end(), raw.begin(), raw.end());
    }
    if (rows.empty()) {
        form_.ShowMessage(kNothingToWrite);
        return;
    }
    ReviewDialog dialog(rows, &form_);
    if (!form_.RunReviewDialog(dialog))
        return;
    const std::vector<bool> chosen = dialog.Chosen();
    HeldWrite held{jobs::PlanWrite(*loggerPages_, logger, typed, rows, chosen,
                                   form_.Codes()),
                   logger,
                   dialog.Reason().toStdString(),
                   {},
                   {}};
    if (!held.plan.invalid.empty()) {
        form_.ShowMessage(held.plan.invalid);
        return;
    }
    // The window shows what is written: a row left out shows the logger's value again.
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!chosen[i])
            jobs::CopyRowValue(logger, typed, rows[i]);
    Write(std::move(held));
}

void SettingsPresenter::WriteUnreviewed(const std::optional<jobs::Pages>& restored) {
    // Over the restored snapshot's pages, else the logger's own when they were read; else
    // over an erased image.
    settings::SettingsView& typed = form_.Settings();
    HeldWrite held{jobs::WritePlan{{}, settings::SettingsModel(), {}, {}},
                   settings::SettingsModel(),
                   {},
                   {},
                   {}};
    if (loggerPages_) {
        held.logger = LoggerSettings();
        held.plan.changes = jobs::ReviewChanges(held.logger, typed);
    } else {
        for (const settings::Setting name :
             {settings::Setting::DeviceId, settings::Setting::Model, settings::Setting::Firmware})
            held.logger.SetText(name, typed.Text(name));
        // The record still says what went, though not what it replaced.
        held.plan.changes = jobs::UnreadChanges(connection_.Device().LoginReply(), typed);
    }
    held.plan.pages = jobs::EncodePages(
        restored ? *restored : loggerPages_.value_or(jobs::Pages{}), typed, form_.Codes());
    Write(std::move(held));
}

void SettingsPresenter::Write(HeldWrite held) {
    rewrite_.reset();  // this write is newer than one held for the next login
    held.port = form_.cbox_com->currentText();
    held.loginReply = connection_.Device().LoginReply();
    // Kept before the first erase: a write that stops half way can be made again from it.
    const archive::ArchiveStatus kept = form_.Changes().Keep(
        jobs::WriteSnapshot(held.plan.pages, held.logger, archive::SnapshotReason::BeforeWrite));
    if (!kept.ok())
        form_.SetStatusText(QString::fromStdString(kept.message));
    auto write = std::make_shared<jobs::WriteSettingsJob>(connection_.Device(), held.plan.pages,
                                                          std::nullopt);
    connection_.RunJob(std::make_shared<ThenJob>(
        write, &form_, [this, write, held = std::move(held)] { Written(write->Result(), held); }));
}

void SettingsPresenter::Written(const jobs::WriteSettingsResult& result, const HeldWrite& held) {
    using End = jobs::WriteSettingsResult::End;
    if (result.end == End::Invalid)
        return;  // nothing went
    const bool written = result.end == End::Written || result.end == End::Verified;
    if (written)
        loggerPages_ = held.plan.pages;
    else
        loggerPages_.reset();  // it holds part of the write: read it again before a review
    SayRecord(form_.Changes().Record(
                  jobs::WriteEntry(held.plan.changes, result, held.logger, held.reason)),
              written);
    if (!jobs::HalfWritten(result))
        return;
    const bool again = form_.Boxes().Ask(
        QString::fromStdString(jobs::HalfWriteMessage(result)) +
            QStringLiteral("\n\nWrite the same settings again once the line is back?"),
        QStringLiteral("Write again"), DefaultButton::Yes);
    if (!again)
        return;
    // A refusal leaves the line up: at once; a lost line: after the next login.
    if (result.end == End::Refused && form_.LinkOpen())
        Write(held);
    else
        rewrite_ = held;
}

void SettingsPresenter::SayRecord(const archive::ArchiveStatus& status, bool written) {
    if (!form_.Changes().Keeps())
        form_.SetStatusText(QString::fromUtf8(jobs::kNoRecordKept.data(),
                                              static_cast<qsizetype>(jobs::kNoRecordKept.size())));
    else if (!status.ok())
        form_.SetStatusText(QString::fromStdString(status.message) +
                            (written ? QStringLiteral(" The settings were written all the same.")
                                     : QStringLiteral(" The write itself was made as told.")));
}

void SettingsPresenter::FactoryReset() {
    // Known before the reset, which the logger may follow with other settings.
    const archive::LoggerKey logger = form_.LoggerOnLine();
    auto reset = std::make_shared<jobs::FactoryResetJob>(connection_.Device());
    connection_.RunJob(reset, [this, reset, logger] {
        const jobs::FactoryResetResult& result = reset->Result();
        form_.RecordChange(
            jobs::FactoryResetEntry(logger, result, Tfrm_mset::LineEndText(result.line)));
    });
}

void SettingsPresenter::SaveProfile() {
    QString file;
    try {
        QFileDialog& dialog = *form_.dlgSave_configuredocument;
        dialog.selectFile(QStringLiteral("setini") + QDateTime::currentDateTime().toString(
                                                         QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
        file = runDialog_(dialog);
        if (file.isEmpty())
            return;
        std::string error;
        const profiles::LoggerIdentity logger = Logger();
        const profiles::ProfileOrigin origin{
            logger.model, form_.Settings().Text(settings::Setting::Firmware), logger.deviceId,
            profiles::UtcTimestamp(std::chrono::system_clock::now()),
            std::string("lgcset ") + kVersion};
        if (profiles::SaveProfileFile(form_.Settings(), origin, ChosenPath(file), error))
            return;
        form_.Boxes().Error(QStringLiteral("Unable to write to ") + ShownPath(file),
                            QString::fromStdString(error));
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to write to ") + ShownPath(file),
                                QString::fromUtf8(e.what()));
    }
}

void SettingsPresenter::LoadProfile() {
    QString file;
    try {
        QFileDialog& dialog = *form_.dlgOpen_configuredocument;
        file = runDialog_(dialog);
        if (file.isEmpty())
            return;
        std::string error;
        // A file that cannot be read, that holds none of the settings or a value that does not
        // fit one, is not loaded in part: the settings on the window stay as they are.
        // A profile of another model or another logger is asked about before any widget
        // changes.
        const auto loadAnyway = [this](const std::string& mismatch) {
            return form_.Boxes().Ask(QString::fromStdString(profiles::LoadAnywayQuestion(mismatch)),
                                     QStringLiteral("Information"), DefaultButton::No);
        };
        RefuseProfile(profiles::LoadProfileFile(ChosenPath(file), form_.Settings(), Logger(),
                                                loadAnyway, error),
                      file, error);
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownPath(file),
                                QString::fromUtf8(e.what()));
    }
}

void SettingsPresenter::RefuseProfile(profiles::ProfileLoad load, const QString& file,
                                      const std::string& error) {
    switch (load) {
        case profiles::ProfileLoad::Loaded:
        case profiles::ProfileLoad::Declined:
            return;
        case profiles::ProfileLoad::NoSettings:
            form_.Boxes().Error(
                QString::fromStdString(profiles::NoSettingsMessage(ShownPath(file).toStdString())),
                QString());
            return;
        case profiles::ProfileLoad::Unfit:
            form_.Boxes().Error(QStringLiteral("Unable to load ") + ShownPath(file),
                                QString::fromStdString(error));
            return;
        case profiles::ProfileLoad::Unreadable:
            break;
    }
    form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownPath(file),
                        QString::fromStdString(error));
}

}  // namespace lgcset::ui
