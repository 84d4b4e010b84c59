#pragma once

#include <string>

#include "meter/archive_file.h"
#include "meter/archive_record.h"

namespace kamt {

struct Session;

enum class ArchiveOutcome {
  Busy,           // another command was running: nothing done
  BadCount,       // the count edit held no whole number: "Ошибка ввода числа записей!"
  TooFewRecords,  // fewer than two records read: no file, and the window says nothing
  Saved,
  FileNotOpened,
  FileNotWritten,
};

// How one read of an archive went, for a caller that must say more than the window does.
struct ArchiveReadResult {
  ArchiveOutcome outcome = ArchiveOutcome::Busy;
  int recordsAsked = 0;  // indices from the first one to count - 1
  int recordsRead = 0;
  int recordsSkipped = 0;  // Modbus TCP: indices whose exchange failed
  bool aborted = false;    // "Прервать чтение" (or Ctrl+C) stopped it
  bool failed = false;     // serial: five failed attempts in a row stopped it
  bool connectionLost = false;  // Modbus TCP: the connection went down, which ended it
  std::string fileName;
  std::string fileError;   // why the file could not be written
};

// Reads the last N records of one archive (N from the kind's count edit), one request per
// record, into ArchiveTable, and writes the file when at least two were read. Processes the
// window's events once per attempt, so an abort click stops it between attempts.
ArchiveReadResult ReadArchive(Session& session, ArchiveKind kind);

// "Считать часовой", "Считать суточный", "Считать месячный".
ArchiveReadResult Button2Click(Session& session);
ArchiveReadResult Button3Click(Session& session);
ArchiveReadResult Button4Click(Session& session);

// "Прервать чтение" of the three archive groups (Button7, Button8, Button9): asks the read
// under way to stop before its next attempt. It does not take the command: it is the abort.
void Button7Click(Session& session);

// The first index to read: the last N + 1 records, or all of them when there are fewer.
// A negative N gives an index past the last record: nothing is read.
long long FirstArchiveIndex(int count, long long n);

}  // namespace kamt
