// A command's record of what it changed: each action's row and each settings read's
// snapshot through the command's change log, with the lines lgcset-cli says about them on
// standard error (no archive to keep a record: once per command; a record that could not be
// kept: the archive's sentence, once).
#pragma once

#include <optional>
#include <ostream>

#include "archive/change_record.h"
#include "jobs/change_log.h"

namespace lgcset::cli {

class CommandRecord {
  public:
    CommandRecord(jobs::ChangeLog changes, std::ostream& err)
        : changes_(std::move(changes)), err_(err) {}

    bool Keeps() const { return changes_.Keeps(); }
    // The row of an action that was made; none: nothing changed, nothing to record.
    void Record(const std::optional<archive::AuditEntry>& entry);
    // The settings as read; a read changes nothing, so no archive says nothing.
    void Keep(archive::SettingsSnapshot snapshot);
    // For a write, which says itself what its record could not keep.
    jobs::ChangeLog& Changes() { return changes_; }

  private:
    jobs::ChangeLog changes_;
    std::ostream& err_;
    bool saidNoRecord_ = false;
    bool saidNotRecorded_ = false;
};

}  // namespace lgcset::cli
