// The window's settings against the logger and in files: the login, reading, saving and
// the factory reset (as jobs on the connection), and the profile files. What a profile
// holds is the profile library's (src/profiles).
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "archive/archive_store.h"
#include "jobs/settings_jobs.h"
#include "jobs/settings_review.h"
#include "profiles/fleet_template.h"
#include "profiles/profile.h"
#include "profiles/profile_origin.h"

class QFileDialog;

namespace lgcset::ui {

class ConnectionPresenter;
class Tfrm_mset;

class SettingsPresenter final {
  public:
    // Runs a file dialog from where the window's dialogs start; empty when cancelled.
    using DialogRunner = std::function<QString(QFileDialog& dialog)>;
    SettingsPresenter(Tfrm_mset& form, ConnectionPresenter& connection, DialogRunner runDialog);

    void Login();
    void ReadSettings();
    // Reviewed first unless the window's check box says otherwise; a setting the logger
    // cannot store is refused with nothing sent. After a restore, written over the restored
    // snapshot's pages.
    void SaveSettings();
    // The settings were read: what the logger holds, which the next write goes over.
    void NoteRead();
    // A new login: what was read belongs to the logger before; a write that stopped half way
    // and was asked to be made again goes now.
    void LoggedIn();
    void FactoryReset();
    void SaveProfile();
    void LoadProfile();
    // "Apply Template...": a template and its values file (none: Cancel in its dialog) give
    // the logger on the line its own profile, loaded over the settings it holds and always
    // reviewed before the write. A refusal is said in a box with the window unchanged.
    void ApplyTemplate();

  private:
    // A write on its way: its pages, the logger it was built for and the user's reason.
    struct HeldWrite {
        jobs::WritePlan plan;
        settings::SettingsModel logger;  // its device ID, model and firmware name the record
        std::string reason;
        // Where it went: it is made again only on the same line and the same logger model.
        QString port;
        std::vector<std::uint8_t> loginReply;
    };

    // The logger logged in to, as far as the window knows it.
    profiles::LoggerIdentity Logger() const;
    settings::SettingsModel LoggerSettings() const;
    // Both write over `restored` when a snapshot was restored, else over the logger's pages.
    void Review(const std::optional<jobs::Pages>& restored);
    // Runs `then` once the logger's pages since the login are known: at once, else after a
    // read with its progress, which leaves the widgets as they were; not after a read that
    // ended without them.
    void WithLoggerPages(std::function<void()> then);
    // A template and its values file as the user chose them, read and checked together.
    struct ChosenTemplate {
        QString templateFile, valuesFile;  // valuesFile empty: none
        profiles::IniFile templateIni;
        std::optional<profiles::ValuesFile> values;
    };
    // Nothing when cancelled or refused (and said).
    std::optional<ChosenTemplate> ChooseTemplate();
    // The chosen template made into the profile of the logger on the line, whose pages are
    // known; nothing when the logger has no row or a value does not fit (and said).
    std::optional<profiles::LoggerProfile> TemplateForLogger(const ChosenTemplate& chosen);
    // The box of a profile file that was not loaded (none for Loaded or Declined).
    void RefuseProfile(profiles::ProfileLoad load, const QString& file, const std::string& error);
    void WriteUnreviewed(const std::optional<jobs::Pages>& restored);
    void Write(HeldWrite held);
    void Written(const jobs::WriteSettingsResult& result, const HeldWrite& held);
    void SayRecord(const archive::ArchiveStatus& status, bool written);

    Tfrm_mset& form_;
    ConnectionPresenter& connection_;
    DialogRunner runDialog_;
    // The logger's pages as read or written since the login; none: not known.
    std::optional<jobs::Pages> loggerPages_;
    std::optional<HeldWrite> rewrite_;  // made again at the next login
};

}  // namespace lgcset::ui
