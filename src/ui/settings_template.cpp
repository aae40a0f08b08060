// "Apply Template...": a fleet template and its values file made into the profile of the
// logger on the line, loaded over what that logger holds and written through the review.
#include <QFileDialog>
#include <QFileInfo>
#include <exception>
#include <utility>

#include "profiles/ini_storage.h"
#include "profiles/profile_check.h"
#include "ui/message_box.h"
#include "ui/profile_file_names.h"
#include "ui/settings_presenter.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::string FileName(const QString& file) {
    return QFileInfo(file).fileName().toStdString();
}

}  // namespace

void SettingsPresenter::ApplyTemplate() {
    std::optional<ChosenTemplate> chosen = ChooseTemplate();
    if (!chosen)
        return;
    // Over what the logger holds rather than what the widgets show, and always reviewed:
    // the template was written for many loggers, not with this one's settings in view. The
    // logger's pages are read first when they are not known, and with them its device ID.
    WithLoggerPages([this, chosen = std::move(*chosen)] {
        std::optional<profiles::LoggerProfile> logger = TemplateForLogger(chosen);
        if (!logger)
            return;
        form_.DropRestoredPages();
        jobs::CopySettings(LoggerSettings(), form_.Settings());
        profiles::ApplyLoggerProfile(*logger, form_.Settings());
        Review(std::nullopt);
    });
}

std::optional<SettingsPresenter::ChosenTemplate> SettingsPresenter::ChooseTemplate() {
    ChosenTemplate chosen;
    QString file;  // the file being read
    try {
        chosen.templateFile = file = runDialog_(*form_.dlgOpen_template);
        if (chosen.templateFile.isEmpty())
            return std::nullopt;
        std::string error;
        switch (profiles::ReadIniFile(ChosenPath(chosen.templateFile), chosen.templateIni, error)) {
            case profiles::ReadOutcome::Read:
                break;
            case profiles::ReadOutcome::Missing:
                error = profiles::kNoSuchFile;
                [[fallthrough]];
            case profiles::ReadOutcome::Failed:
                RefuseProfile(profiles::ProfileLoad::Unreadable, chosen.templateFile, error);
                return std::nullopt;
        }
        if (profiles::MissingProfileKeys(chosen.templateIni) == profiles::kProfileKeyCount) {
            RefuseProfile(profiles::ProfileLoad::NoSettings, chosen.templateFile, error);
            return std::nullopt;
        }

        chosen.valuesFile = file = runDialog_(*form_.dlgOpen_values);
        if (!chosen.valuesFile.isEmpty()) {
            chosen.values = profiles::ReadValuesFileAt(ChosenPath(chosen.valuesFile), error);
            if (!chosen.values) {
                form_.Boxes().Error(ShownPath(chosen.valuesFile) + QStringLiteral(": ") +
                                        QString::fromStdString(error),
                                    QString());
                return std::nullopt;
            }
        }
        const std::string mismatch = profiles::TemplateMismatch(
            chosen.templateIni, chosen.values ? &*chosen.values : nullptr,
            FileName(chosen.templateFile), FileName(chosen.valuesFile));
        if (!mismatch.empty()) {
            form_.Boxes().Error(QStringLiteral("Unable to apply ") + ShownPath(chosen.templateFile),
                                QString::fromStdString(mismatch));
            return std::nullopt;
        }
        return chosen;
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownPath(file),
                                QString::fromUtf8(e.what()));
    }
    return std::nullopt;
}

std::optional<profiles::LoggerProfile> SettingsPresenter::TemplateForLogger(
    const ChosenTemplate& chosen) {
    const std::string deviceId = form_.LoggerDeviceId();
    profiles::LoggerTemplate part = profiles::TemplateForLogger(
        chosen.templateIni, chosen.values ? &*chosen.values : nullptr, deviceId, {});
    switch (part.end) {
        case profiles::LoggerTemplate::End::Ready:
            return std::move(part.logger);
        case profiles::LoggerTemplate::End::NotInValues:
            form_.Boxes().Error(
                QStringLiteral("The logger %1 is not in %2.")
                    .arg(QString::fromStdString(deviceId), ShownPath(chosen.valuesFile)),
                QString());
            break;
        case profiles::LoggerTemplate::End::Unfit:
            RefuseProfile(profiles::ProfileLoad::Unfit, chosen.templateFile, part.why);
            break;
    }
    return std::nullopt;
}

}  // namespace lgcset::ui
