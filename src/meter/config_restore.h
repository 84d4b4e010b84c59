#pragma once

#include <string>

#include "meter/config_backup.h"

namespace kamt {

struct Session;

enum class RestoreOutcome {
  Written,      // the configuration (and the communication parameters asked for) written
  Refused,      // the file failed a check: nothing was sent
  WriteFailed,  // the meter or the link failed a write: its messages have been shown
};

struct RestoreResult {
  RestoreOutcome outcome = RestoreOutcome::Refused;
  std::string error;  // for a refusal: what is wrong, "Строка N: ..." when a line is at fault
};

// Writes a configuration file to the meter as "Записать" would write what it holds: the
// groups' controls are filled from the file and checked by the window's own checks, with
// their messages, before anything is sent. The communication parameters go only when
// withComm, after the configuration, since new ones can cut the link; both groups are checked
// before either is written.
RestoreResult RestoreBackup(Session& session, const ConfigBackup& backup, bool withComm);

}  // namespace kamt
