#include "ui/settings_presenter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include "jobs/audit_entries.h"
#include "jobs/identify_job.h"
#include "jobs/settings_jobs.h"
#include "profiles/profile.h"
#include "project_version.h"
#include "ui/connection_presenter.h"
#include "ui/message_box.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::filesystem::path PathOf(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

QString ShownName(const QString& file) {
    return QDir::toNativeSeparators(file);
}

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
    // The window shows the logger's answer; it does not read the pages back.
    connection_.RunJob(std::make_shared<jobs::WriteSettingsJob>(connection_.Device()));
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
        if (profiles::SaveProfileFile(form_.Settings(), origin, PathOf(file), error))
            return;
        form_.Boxes().Error(QStringLiteral("Unable to write to ") + ShownName(file),
                            QString::fromStdString(error));
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to write to ") + ShownName(file),
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
            return form_.Boxes().Ask(
                QString::fromStdString(profiles::LoadAnywayQuestion(mismatch)),
                QStringLiteral("Information"), DefaultButton::No);
        };
        switch (profiles::LoadProfileFile(PathOf(file), form_.Settings(), Logger(), loadAnyway,
                                          error)) {
            case profiles::ProfileLoad::Loaded:
            case profiles::ProfileLoad::Declined:
                return;
            case profiles::ProfileLoad::NoSettings:
                form_.Boxes().Error(QString::fromStdString(profiles::NoSettingsMessage(
                                        ShownName(file).toStdString())),
                                    QString());
                return;
            case profiles::ProfileLoad::Unfit:
                form_.Boxes().Error(QStringLiteral("Unable to load ") + ShownName(file),
                                    QString::fromStdString(error));
                return;
            case profiles::ProfileLoad::Unreadable:
                break;
        }
        form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownName(file),
                            QString::fromStdString(error));
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownName(file),
                                QString::fromUtf8(e.what()));
    }
}

}  // namespace lgcset::ui
