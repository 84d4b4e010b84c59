#pragma once

#include <functional>
#include <optional>
#include <string>

#include "fleet/store.h"
#include "meter/archive_index_read.h"

namespace kamt {

struct Session;

struct WalkResult {
  int requests = 0;
  int failedAttempts = 0;
  int stored = 0;         // records new to the database
  int clockSetBack = 0;   // of them, copies of a time stored before with other values
  bool complete = false;  // read without a gap down to the history stored before
  IndexReadOutcome end = IndexReadOutcome::Read;  // what ended an incomplete walk
  std::string message;
};

// Reads one archive from the newest index back until the newest record of the stored history
// (the frontier) is met, or `depth` records on a first walk, or the oldest index; stores what
// it reads in short transactions as it goes. A walk cut short (a failure, a gap, a stop) keeps
// what it read and leaves the frontier where it was, so the next walk reads the rest.
WalkResult WalkArchive(Session& session, Store& store, long long meterId, ArchiveKind kind, RecordUnits units,
                       std::optional<int> depth, const std::function<std::string()>& now);

}  // namespace kamt
