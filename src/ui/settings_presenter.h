// The window's settings against the logger and in files: the login, reading, saving and
// the factory reset (as jobs on the connection), and the profile files. What a profile
// holds is the profile library's (src/profiles).
#pragma once

#include <QString>
#include <functional>

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
    void SaveSettings();
    void FactoryReset();
    void SaveProfile();
    void LoadProfile();

  private:
    // The logger logged in to, as far as the window knows it.
    profiles::LoggerIdentity Logger() const;

    Tfrm_mset& form_;
    ConnectionPresenter& connection_;
    DialogRunner runDialog_;
};

}  // namespace lgcset::ui
