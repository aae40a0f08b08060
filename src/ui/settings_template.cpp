// "Apply Template...": a fleet template and its values file made into the profile of the
// logger on the line, loaded over what that logger holds and written through the review.
#include <QFile>
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

// What a mismatch calls the values file when none was chosen.
constexpr const char* kNoValuesFile = "the values file (none was chosen)";

bool ReadWholeFile(const QString& file, std::string& bytes, std::string& error) {
    const QFileInfo info(file);
    if (!info.exists()) {
        error = profiles::kNoSuchFile;
        return false;
    }
    // A FIFO or a device would never end.
    if (!info.isFile()) {
        error = info.isDir() ? "it is a folder" : "it is no regular file";
        return false;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString().toStdString();
        return false;
    }
    const QByteArray read = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        error = in.errorString().toStdString();
        return false;
    }
    bytes.assign(read.constData(), static_cast<std::size_t>(read.size()));
    return true;
}

std::string FileName(const QString& file) {
    return QFileInfo(file).fileName().toStdString();
}

}  // namespace

void SettingsPresenter::ApplyTemplate() {
    const std::string deviceId = form_.LoggerDeviceId();
    if (deviceId.empty())
        return;  // the button is off: no logger to apply it to
    std::optional<profiles::LoggerProfile> logger = ChooseTemplate(deviceId);
    if (!logger)
        return;
    // Over what the logger holds rather than what the widgets show, and always reviewed:
    // the template was written for many loggers, not with this one's settings in view.
    WithLoggerPages([this, logger = std::move(*logger)] {
        form_.DropRestoredPages();
        jobs::CopySettings(LoggerSettings(), form_.Settings());
        profiles::ApplyLoggerProfile(logger, form_.Settings());
        Review(std::nullopt);
    });
}

std::optional<profiles::LoggerProfile> SettingsPresenter::ChooseTemplate(
    const std::string& deviceId) {
    QString file;  // the file being read
    try {
        const QString templateFile = file = runDialog_(*form_.dlgOpen_template);
        if (templateFile.isEmpty())
            return std::nullopt;
        std::string error;
        profiles::IniFile templ;
        switch (profiles::ReadIniFile(ChosenPath(templateFile), templ, error)) {
            case profiles::ReadOutcome::Read:
                break;
            case profiles::ReadOutcome::Missing:
                error = profiles::kNoSuchFile;
                [[fallthrough]];
            case profiles::ReadOutcome::Failed:
                RefuseProfile(profiles::ProfileLoad::Unreadable, templateFile, error);
                return std::nullopt;
        }
        if (profiles::MissingProfileKeys(templ) == profiles::kProfileKeyCount) {
            RefuseProfile(profiles::ProfileLoad::NoSettings, templateFile, error);
            return std::nullopt;
        }

        const QString valuesFile = file = runDialog_(*form_.dlgOpen_values);
        std::optional<profiles::ValuesFile> values;
        if (!valuesFile.isEmpty()) {
            std::string bytes;
            if (ReadWholeFile(valuesFile, bytes, error))
                values = profiles::ReadValuesFile(bytes, error);
            if (!values) {
                form_.Boxes().Error(
                    ShownPath(valuesFile) + QStringLiteral(": ") + QString::fromStdString(error),
                    QString());
                return std::nullopt;
            }
        }
        // Without a values file every ${name} of the template is one nothing fills.
        const std::string mismatch = profiles::TemplateMismatch(
            templ, values.value_or(profiles::ValuesFile{}), FileName(templateFile),
            values ? FileName(valuesFile) : kNoValuesFile);
        if (!mismatch.empty()) {
            form_.Boxes().Error(QStringLiteral("Unable to apply ") + ShownPath(templateFile),
                                QString::fromStdString(mismatch));
            return std::nullopt;
        }
        std::optional<std::size_t> row;
        if (values) {
            row = profiles::RowFor(*values, deviceId, {});
            if (!row) {
                form_.Boxes().Error(QStringLiteral("The logger %1 is not in %2.")
                                        .arg(QString::fromStdString(deviceId),
                                             ShownPath(valuesFile)),
                                    QString());
                return std::nullopt;
            }
        }
        profiles::LoggerProfile logger =
            profiles::ProfileForLogger(templ, values ? &*values : nullptr, row);
        if (error = profiles::UnfitProfileValue(logger.profile); !error.empty()) {
            RefuseProfile(profiles::ProfileLoad::Unfit, templateFile, error);
            return std::nullopt;
        }
        return logger;
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            form_.Boxes().Error(QStringLiteral("Unable to read ") + ShownPath(file),
                                QString::fromUtf8(e.what()));
    }
    return std::nullopt;
}

}  // namespace lgcset::ui
