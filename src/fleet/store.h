#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "meter/archive_record.h"

namespace kamt {

struct CurrentDataRecord;
struct FleetMeter;

// The database could not do what was asked (locked past its time-out, not writable, of a
// newer schema, ...): the collector stops rather than go on without storing.
// `Unreachable`: the database server could not be reached or went away; trying again later may
// succeed, where a locked or refused database will not.
class StoreError : public std::runtime_error {
 public:
  explicit StoreError(const std::string& what, bool unreachable = false)
      : std::runtime_error(what), unreachable_(unreachable) {}
  bool Unreachable() const { return unreachable_; }

 private:
  bool unreachable_ = false;
};

// What a collector's claim on a line found: taken (poll it), done (polled in this round, or a
// later one, by another collector, or by this one before its server went away and came back),
// or busy (another collector holds it under a lease not yet run out).
enum class Claim { Taken, DoneByOther, DoneHere, Busy };

// The counters' units: the decimal places the meter reported when the record was read.
struct RecordUnits {
  std::uint16_t plusDecimals = 2;
  std::uint16_t minusDecimals = 2;
};

struct StoredRecord {
  long long id = 0;
  ArchiveRecord record;
  RecordUnits units;
  std::optional<long long> previousId;  // the record before it in the meter's archive, when known
  int copy = 0;                         // > 0: its time was logged again (a clock set back)
};

// What a batch of records did to the database.
struct PutResult {
  long long newestId = 0;  // the stored rows of the batch's first and last record
  long long oldestId = 0;
  int added = 0;           // records new to the database
  int copies = 0;          // of them, records of a time stored before with other values
};

struct StoredMeter {
  long long id = 0;
  std::uint16_t serialNumber = 0;
  std::string name;
  std::string connection;
  std::string site;
  std::uint16_t sensorType = 0;
};

// One poll of one meter, as the polls table keeps it. Times are the computer's, in UTC.
struct PollRow {
  std::optional<long long> meterId;  // none when the meter never said who it is
  std::string name;
  std::string startedAt;
  std::string endedAt;
  std::string outcome;  // ok, failed, partial, stopped
  std::string message;
  int requests = 0;
  int failedAttempts = 0;
  std::optional<long long> clockOffsetS;  // meter clock minus the computer's local clock
  int recordsStored = 0;
};

// Where the readings go. Writes happen inside Begin/Commit, short ones: a meter's answers are
// never awaited inside a transaction. Every call may throw StoreError.
class Store {
 public:
  virtual ~Store() = default;

  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;

  // The meter known by this serial number, made when new; its name, connection and site follow
  // the fleet line, its units and sensor type the current data.
  virtual long long SaveMeter(std::uint16_t serialNumber, const FleetMeter& line, const CurrentDataRecord& data,
                              const std::string& now) = 0;
  // The serial number last seen under this name, to tell a replaced meter.
  virtual std::optional<std::uint16_t> SerialOfName(const std::string& name) = 0;
  virtual void SaveSnapshot(long long meterId, const CurrentDataRecord& data, const std::string& now) = 0;

  // The newest record of the archive's history as far as it was read without a gap.
  virtual std::optional<StoredRecord> Frontier(long long meterId, ArchiveKind kind) = 0;
  virtual void SetFrontier(long long meterId, ArchiveKind kind, long long recordId) = 0;
  // Stores records read one after another from an archive, newest first, each the predecessor
  // of the one before it in the meter's archive. A record is stored once: the same record again
  // is the stored one; another with the time of a stored one is kept beside it as its next
  // copy. `newerId`: the record read just before the batch, whose predecessor is the batch's
  // first; `olderId`: a stored record that is the predecessor of the batch's last.
  virtual PutResult PutRecords(long long meterId, ArchiveKind kind, RecordUnits units,
                               const std::vector<ArchiveRecord>& newestFirst, std::optional<long long> newerId,
                               std::optional<long long> olderId, const std::string& now) = 0;
  virtual void SavePoll(const PollRow& poll) = 0;

  // Collectors that share a fleet in one server database each claim a line before polling it:
  // the claim names the round, so a line polled in a round is not polled again in it, and holds
  // a lease of leaseS seconds, renewed while the poll stores, so the line of a collector that
  // died goes to the others once the lease runs out. The polls row of the line's meters names
  // the round and the collector. A store one collector has alone grants every claim.
  virtual Claim ClaimLine(const std::string& line, const std::string& round, const std::string& collector,
                          int leaseS) = 0;
  // Ends the claim taken last: done (polled) for the round, or released for another to take now.
  virtual void EndClaim(bool done) = 0;
  // Releases every claim of the collector that is not done (a stop, the end of a run).
  virtual void ReleaseClaims(const std::string& collector) = 0;

  virtual std::vector<StoredMeter> Meters() = 0;
  // A meter's records of one kind whose times lie within [from, to] ("YYYY-MM-DD HH:MM:SS",
  // empty for no bound), by time and copy.
  virtual std::vector<StoredRecord> Records(long long meterId, ArchiveKind kind, const std::string& from,
                                            const std::string& to) = 0;
};

// The computer's time now in UTC, ISO 8601: "2026-12-07T05:00:00Z".
std::string UtcNowText();

// Two reads of one record: every field alike, a sensor value that is no number alike too.
bool SameRecord(const ArchiveRecord& a, const ArchiveRecord& b);

// A transaction of the store: begun when made, rolled back when it goes uncommitted (a write
// that threw, a collector stopping), so nothing is ever half-stored.
class Transaction {
 public:
  explicit Transaction(Store& store) : store_(store) { store_.Begin(); }
  ~Transaction() {
    if (!committed_) store_.Rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    committed_ = true;
    store_.Commit();
  }

 private:
  Store& store_;
  bool committed_ = false;
};

// "2026-12-07 05:00:00": the time a record carries, on the meter's own clock, and back.
std::string RecordTime(const ArchiveRecord& record);
void SetRecordTime(ArchiveRecord& record, const std::string& time);

}  // namespace kamt
