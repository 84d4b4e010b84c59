#pragma once

#include <optional>
#include <string>

#include "meter/archive_attempt.h"
#include "meter/archive_record.h"

namespace kamt {

struct Session;

enum class IndexReadOutcome {
  Read,            // the record is in `record`
  Skipped,         // Modbus TCP: the exchange failed; the read goes on with another index
  Failed,          // serial: the fifth failed attempt in a row
  ConnectionLost,  // Modbus TCP: the connection is gone
  Stopped,         // ArchiveAbort was set before a request went out
};

struct IndexReadResult {
  IndexReadOutcome outcome = IndexReadOutcome::Stopped;
  ArchiveRecord record;
  ArchiveRecordBytes bytes{};
  int requests = 0;        // requests sent for this index
  int failedAttempts = 0;  // of them, those not answered with the record
  std::string message;     // why it failed, as the archive read would show it
};

// Reads the record at one index of an archive by the rules of the archive read: over the
// serial line each attempt waits Delay first and the index is tried until the fifth failure in
// a row; over Modbus TCP one attempt. `taken`: the records the read took, for the late-copy
// rule. Runs the window's events before each attempt, so a stop arrives between
// requests.
IndexReadResult ReadArchiveIndex(Session& session, ArchiveKind kind, long long index,
                                 const RecordsTaken& taken);

}  // namespace kamt
