#include "platform/sql_store.h"

#include <QSqlError>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

#include "fleet/database_address.h"
#include "fleet/fleet_file.h"
#include "meter/archive_kinds.h"
#include "meter/current_data.h"

namespace kamt {
namespace {

std::mutex writeMutex;
std::atomic<int> connections = 0;

// How often a record whose time another connection keeps storing is looked at again.
constexpr int kInsertAttempts = 8;

QString Kind(ArchiveKind kind) { return QString::fromStdString(std::string(KindInfo(kind).name)); }
QString Text(const std::string& s) { return QString::fromStdString(s); }

// SQLite keeps no NaN: a sensor value that is no number is stored as NULL and comes back so.
QVariant Real(float value) { return std::isnan(value) ? QVariant() : QVariant(static_cast<double>(value)); }
float RealOf(const QVariant& v) {
  return v.isNull() ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(v.toDouble());
}

StoredRecord RecordOf(const QSqlQuery& q) {
  StoredRecord s;
  s.id = q.value(0).toLongLong();
  SetRecordTime(s.record, q.value(1).toString().toStdString());
  s.copy = q.value(2).toInt();
  s.record.volumePlus = q.value(3).toLongLong();
  s.record.volumeMinus = q.value(4).toLongLong();
  s.units = {static_cast<std::uint16_t>(q.value(5).toUInt()), static_cast<std::uint16_t>(q.value(6).toUInt())};
  s.record.workSeconds = static_cast<std::uint32_t>(q.value(7).toLongLong());
  s.record.voltage = static_cast<std::uint16_t>(q.value(8).toUInt());
  s.record.failures = static_cast<std::uint16_t>(q.value(9).toUInt());
  s.record.pressure = RealOf(q.value(10));
  s.record.temperature = RealOf(q.value(11));
  s.record.errorCode = static_cast<std::uint8_t>(q.value(12).toUInt());
  if (!q.value(13).isNull()) s.previousId = q.value(13).toLongLong();
  return s;
}

std::string MeterTime(const CurrentDataRecord& d) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.Year, d.Month, d.Day, d.Hours, d.Minutes,
                d.Seconds);
  return text;
}

}  // namespace

SqlStore::SqlStore(const std::string& address, Open open)
    : connectionName_(QString("kamt-store-%1").arg(++connections)) {
  const DatabaseAddress a = ParseDatabaseAddress(address);
  shown_ = Text(a.Shown());
  if (!a.error.empty()) throw StoreError("database " + a.Shown() + ": " + a.error);
  if (a.server) {
    OpenServer(a, open);
    return;
  }
  db_ = QSqlDatabase::addDatabase("QSQLITE", connectionName_);
  if (!db_.isValid()) throw StoreError("the SQLite driver of Qt SQL is missing (libqt6sql6-sqlite)");
  db_.setDatabaseName(Text(a.path));
  db_.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs) +
                        (open == Open::Read ? ";QSQLITE_OPEN_READONLY" : ""));
  if (!db_.open()) Fail("cannot be opened");
  if (open == Open::Read) {
    CheckVersion(db_, shown_, dialect_);
    return;
  }
  // NORMAL syncs at each checkpoint of the WAL, which keeps every committed transaction through
  // a crash of the program.
  for (const char* pragma : {"PRAGMA synchronous = NORMAL", "PRAGMA foreign_keys = ON", "PRAGMA cache_size = -1024"}) {
    Exec(pragma);
  }
  if (open == Open::Prepared) return;
  // WAL, kept by the file: readers never wait for the writer, and a commit is one append.
  Exec("PRAGMA journal_mode = WAL");
  const std::lock_guard lock(writeMutex);
  PrepareSchema(db_, shown_, dialect_);
}

void SqlStore::OpenServer(const DatabaseAddress& a, Open open) {
  dialect_ = Dialect::Postgres;
  db_ = QSqlDatabase::addDatabase("QPSQL", connectionName_);
  if (!db_.isValid()) throw StoreError("the PostgreSQL driver of Qt SQL is missing (libqt6sql6-psql)");
  db_.setHostName(Text(a.Key("host")));
  if (!a.Key("port").empty()) db_.setPort(std::stoi(a.Key("port")));
  db_.setDatabaseName(Text(a.Key("dbname")));
  db_.setUserName(Text(a.Key("user")));
  db_.setPassword(Text(a.Key("password")));
  // A server that does not answer is given up after 10 s, unless the address says otherwise.
  std::map<std::string, std::string> more{{"connect_timeout", "10"}, {"application_name", "kamt"}};
  for (const auto& [key, value] : a.keys) {
    if (key != "host" && key != "port" && key != "dbname" && key != "user" && key != "password") more[key] = value;
  }
  QStringList options;
  for (const auto& [key, value] : more) {
    QString quoted = Text(value);
    quoted.replace("\\", "\\\\").replace("'", "\\'");
    options << Text(key) + "='" + quoted + "'";
  }
  db_.setConnectOptions(options.join(';'));
  if (!db_.open()) {
    // libpq gives no SQL state for a refused connection: a server that answered no (a wrong
    // password, no such database or role, not allowed from here) says so in its words, and
    // waiting would not change it.
    const QString why = db_.lastError().text().simplified();
    const bool refused = why.contains("authentication failed") || why.contains("does not exist") ||
                         why.contains("pg_hba.conf") || why.contains("permission denied");
    throw StoreError((refused ? "the database server refused " : "cannot reach the database server ") +
                         shown_.toStdString() + ": " + why.toStdString(),
                     !refused && ServerUnreachable(dialect_, db_.lastError()));
  }
  // As long as SQLite's busy time-out: a row another collector holds is waited for no longer.
  Exec(open == Open::Read ? "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY" : "SET lock_timeout = '5s'");
  if (open == Open::Read) {
    CheckVersion(db_, shown_, dialect_);
  } else if (open == Open::Prepare) {
    PrepareSchema(db_, shown_, dialect_);
  }
}

SqlStore::~SqlStore() {
  if (writing_.owns_lock()) Rollback();
  statements_.clear();
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(connectionName_);
}

std::string SqlStore::Why(const QSqlError& error) const { return SqlFailure(shown_, error); }

void SqlStore::Throw(const QSqlError& error) const { throw StoreError(Why(error), ServerUnreachable(dialect_, error)); }

void SqlStore::Fail(const QString& what) const {
  const QSqlError error = db_.lastError();
  throw StoreError("database " + shown_.toStdString() + " " + what.toStdString() +
                       (error.isValid() ? ": " + error.text().simplified().toStdString() : ""),
                   ServerUnreachable(dialect_, error));
}

void SqlStore::Exec(const char* sql) {
  QSqlQuery query(db_);
  if (!query.exec(QString::fromUtf8(sql))) Throw(query.lastError());
}

QSqlQuery& SqlStore::Run(const char* sql, std::initializer_list<QVariant> values) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) {
    it = statements_.emplace(sql, QSqlQuery(db_)).first;
    if (!it->second.prepare(QString::fromUtf8(sql))) {
      const QSqlError error = it->second.lastError();
      statements_.erase(it);
      throw StoreError("database " + shown_.toStdString() + ": " + error.text().simplified().toStdString(),
                       ServerUnreachable(dialect_, error));
    }
  }
  QSqlQuery& query = it->second;
  int i = 0;
  for (const QVariant& value : values) query.bindValue(i++, value);
  if (!query.exec()) Throw(query.lastError());
  return query;
}

void SqlStore::Begin() {
  if (dialect_ == Dialect::Postgres) {
    Exec("BEGIN");
    return;
  }
  writing_ = std::unique_lock(writeMutex);
  // IMMEDIATE: the write lock is taken now, so a transaction never fails halfway for it.
  QSqlQuery query(db_);
  if (!query.exec("BEGIN IMMEDIATE")) {
    writing_.unlock();
    Throw(query.lastError());
  }
}

void SqlStore::Commit() {
  try {
    RenewLease();
  } catch (const StoreError&) {
    Rollback();
    throw;
  }
  QSqlQuery query(db_);
  const bool ok = query.exec("COMMIT");
  if (!ok) QSqlQuery(db_).exec("ROLLBACK");
  if (writing_.owns_lock()) writing_.unlock();
  if (!ok) Throw(query.lastError());
}

void SqlStore::Rollback() {
  QSqlQuery(db_).exec("ROLLBACK");
  if (writing_.owns_lock()) writing_.unlock();
}

long long SqlStore::SaveMeter(std::uint16_t serial, const FleetMeter& m, const CurrentDataRecord& d,
                              const std::string& now) {
  Run("INSERT INTO meters (serial_number, name, connection, site, sensor_type, plus_decimals, minus_decimals,"
      " first_seen, last_seen) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"
      " ON CONFLICT (serial_number) DO UPDATE SET name = excluded.name, connection = excluded.connection,"
      " site = excluded.site, sensor_type = excluded.sensor_type, plus_decimals = excluded.plus_decimals,"
      " minus_decimals = excluded.minus_decimals, last_seen = excluded.last_seen",
      {serial, Text(m.name), Text(m.Connection()), Text(m.site), d.SensorType, d.PlusDecimals, d.MinusDecimals,
       Text(now), Text(now)})
      .finish();
  QSqlQuery& q = Run("SELECT id FROM meters WHERE serial_number = ?", {serial});
  if (!q.next()) Fail("gave no meter id");
  const long long id = q.value(0).toLongLong();
  q.finish();
  return id;
}

std::optional<std::uint16_t> SqlStore::SerialOfName(const std::string& name) {
  QSqlQuery& q = Run("SELECT serial_number FROM meters WHERE name = ? ORDER BY last_seen DESC LIMIT 1",
                     {Text(name)});
  std::optional<std::uint16_t> serial;
  if (q.next()) serial = static_cast<std::uint16_t>(q.value(0).toUInt());
  q.finish();
  return serial;
}

void SqlStore::SaveSnapshot(long long meterId, const CurrentDataRecord& d, const std::string& now) {
  Run("INSERT INTO snapshots (meter_id, taken_at, meter_time, status, flow, plus_counter, minus_counter,"
      " plus_decimals, minus_decimals, work_seconds, run_seconds, hour_records, day_records, month_records,"
      " pressure, temperature, sensor_type) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {meterId, Text(now), Text(MeterTime(d)), d.Status, Real(d.Flow), static_cast<qlonglong>(d.PlusCounter),
       static_cast<qlonglong>(d.MinusCounter), d.PlusDecimals, d.MinusDecimals, d.WorkSeconds, d.RunSeconds,
       d.HourRecords, d.DayRecords, d.MonthRecords, Real(d.Pressure), Real(d.Temperature), d.SensorType})
      .finish();
}

std::optional<StoredRecord> SqlStore::Frontier(long long meterId, ArchiveKind kind) {
  QSqlQuery& q = Run(
      "SELECT r.id, r.record_time, r.copy_number, r.volume_plus, r.volume_minus, r.plus_decimals, r.minus_decimals,"
      " r.work_seconds, r.voltage, r.failures, r.pressure, r.temperature, r.error_code, r.previous_id"
      " FROM archive_frontiers f JOIN archive_records r ON r.id = f.record_id WHERE f.meter_id = ? AND f.kind = ?",
      {meterId, Kind(kind)});
  std::optional<StoredRecord> frontier;
  if (q.next()) frontier = RecordOf(q);
  q.finish();
  return frontier;
}

void SqlStore::SetFrontier(long long meterId, ArchiveKind kind, long long recordId) {
  Run("INSERT INTO archive_frontiers (meter_id, kind, record_id) VALUES (?, ?, ?)"
      " ON CONFLICT (meter_id, kind) DO UPDATE SET record_id = excluded.record_id",
      {meterId, Kind(kind), recordId})
      .finish();
}

std::map<std::string, std::vector<StoredRecord>> SqlStore::StoredAt(long long meterId, ArchiveKind kind,
                                                                    const std::vector<ArchiveRecord>& batch) {
  std::map<std::string, std::vector<StoredRecord>> stored;
  if (batch.empty()) return stored;
  std::string first = RecordTime(batch.front()), last = first;
  for (const ArchiveRecord& r : batch) {
    first = std::min(first, RecordTime(r));
    last = std::max(last, RecordTime(r));
  }
  QSqlQuery& q = Run(
      "SELECT id, record_time, copy_number, volume_plus, volume_minus, plus_decimals, minus_decimals, work_seconds,"
      " voltage, failures, pressure, temperature, error_code, previous_id FROM archive_records"
      " WHERE meter_id = ? AND kind = ? AND record_time >= ? AND record_time <= ?",
      {meterId, Kind(kind), Text(first), Text(last)});
  while (q.next()) {
    StoredRecord record = RecordOf(q);
    stored[RecordTime(record.record)].push_back(record);
  }
  q.finish();
  return stored;
}

long long SqlStore::Insert(long long meterId, ArchiveKind kind, const ArchiveRecord& r, RecordUnits units, int copy,
                           std::optional<long long> previousId, const std::string& now) {
  // SQLite gives the row's id itself: RETURNING would gather each row into a temporary table.
  // The server gives it back with the row, and leaves a row another collector has just stored
  // as it is rather than fail the transaction.
  const bool server = dialect_ == Dialect::Postgres;
  QSqlQuery& q = Run(
      server ? "INSERT INTO archive_records (meter_id, kind, record_time, copy_number, volume_plus, volume_minus,"
               " plus_decimals, minus_decimals, work_seconds, voltage, failures, pressure, temperature, error_code,"
               " previous_id, stored_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
               " ON CONFLICT (meter_id, kind, record_time, copy_number) DO NOTHING RETURNING id"
             : "INSERT INTO archive_records (meter_id, kind, record_time, copy_number, volume_plus, volume_minus,"
               " plus_decimals, minus_decimals, work_seconds, voltage, failures, pressure, temperature, error_code,"
               " previous_id, stored_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {meterId, Kind(kind), Text(RecordTime(r)), copy, static_cast<qlonglong>(r.volumePlus),
       static_cast<qlonglong>(r.volumeMinus), units.plusDecimals, units.minusDecimals, r.workSeconds, r.voltage,
       r.failures, Real(r.pressure), Real(r.temperature), r.errorCode,
       previousId ? QVariant(*previousId) : QVariant(), Text(now)});
  long long id = 0;
  if (!server) {
    id = q.lastInsertId().toLongLong();
  } else if (q.next()) {
    id = q.value(0).toLongLong();
  }
  q.finish();
  return id;
}

void SqlStore::Link(long long recordId, std::optional<long long> previousId) {
  if (!previousId) return;
  Run("UPDATE archive_records SET previous_id = ? WHERE id = ?", {*previousId, recordId}).finish();
}

PutResult SqlStore::PutRecords(long long meterId, ArchiveKind kind, RecordUnits units,
                               const std::vector<ArchiveRecord>& newestFirst, std::optional<long long> newerId,
                               std::optional<long long> olderId, const std::string& now) {
  std::map<std::string, std::vector<StoredRecord>> stored = StoredAt(meterId, kind, newestFirst);
  PutResult result;
  // Oldest first, so each record is stored with its predecessor's id.
  std::optional<long long> previous = olderId;
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
    std::vector<StoredRecord>& sameTime = stored[RecordTime(*it)];
    long long id = 0;
    // A record of this time stored by another connection between the look and the insert
    // (two collectors on one meter, a lease run out under a slow poll) is looked at afresh.
    for (int attempt = 0; id == 0; ++attempt) {
      if (attempt == kInsertAttempts) Fail("keeps changing the records of " + Text(RecordTime(*it)));
      if (attempt > 0) sameTime = StoredAt(meterId, kind, {*it})[RecordTime(*it)];
      const auto same =
          std::ranges::find_if(sameTime, [&](const StoredRecord& s) { return SameRecord(s.record, *it); });
      if (same != sameTime.end()) {
        id = same->id;
        if (previous && same->previousId != previous) Link(id, previous);
        break;
      }
      int copy = 0;
      for (const StoredRecord& s : sameTime) copy = std::max(copy, s.copy + 1);
      id = Insert(meterId, kind, *it, units, copy, previous, now);
      if (id == 0) continue;
      sameTime.push_back({id, *it, units, previous, copy});
      ++result.added;
      if (copy > 0) ++result.copies;
    }
    if (it == newestFirst.rbegin()) result.oldestId = id;
    result.newestId = id;
    previous = id;
  }
  if (newerId) Link(*newerId, newestFirst.empty() ? olderId : std::optional(result.newestId));
  return result;
}

void SqlStore::SavePoll(const PollRow& p) {
  Run("INSERT INTO polls (meter_id, name, started_at, ended_at, outcome, message, requests, failed_attempts,"
      " clock_offset_s, records_stored, round, collector) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {p.meterId ? QVariant(*p.meterId) : QVariant(), Text(p.name), Text(p.startedAt), Text(p.endedAt),
       Text(p.outcome), Text(p.message), p.requests, p.failedAttempts,
       p.clockOffsetS ? QVariant(*p.clockOffsetS) : QVariant(), p.recordsStored, Text(round_), Text(collector_)})
      .finish();
}

Claim SqlStore::ClaimLine(const std::string& line, const std::string& round, const std::string& collector,
                          int leaseS) {
  round_ = round;
  collector_ = collector;
  leaseS_ = leaseS;
  claimLine_.clear();
  // One collector has an SQLite file alone (its lock file): nothing to share.
  if (dialect_ == Dialect::Sqlite) return Claim::Taken;
  // One statement, atomic on the server: the line is taken when free, when its claim is of an
  // earlier round and done or run out, or when the claim of this round ran out before it was
  // done (its collector died) or is this collector's own (a round tried again).
  QSqlQuery& q = Run(
      "INSERT INTO claims (line, round, collector, lease_until, done)"
      " VALUES (?, ?, ?, now() + CAST(? AS INTEGER) * INTERVAL '1 second', FALSE)"
      " ON CONFLICT (line) DO UPDATE SET round = excluded.round, collector = excluded.collector,"
      " lease_until = excluded.lease_until, done = FALSE"
      " WHERE (claims.round < excluded.round AND (claims.done OR claims.lease_until < now()))"
      " OR (claims.round = excluded.round AND NOT claims.done"
      " AND (claims.lease_until < now() OR claims.collector = excluded.collector))"
      " RETURNING line",
      {Text(line), Text(round), Text(collector), leaseS});
  const bool taken = q.next();
  q.finish();
  if (taken) {
    claimLine_ = line;
    renewed_ = std::chrono::steady_clock::now();
    return Claim::Taken;
  }
  QSqlQuery& held =
      Run("SELECT round >= ? AND done, collector = ? FROM claims WHERE line = ?",
          {Text(round), Text(collector), Text(line)});
  Claim claim = Claim::Busy;
  if (held.next() && held.value(0).toBool()) claim = held.value(1).toBool() ? Claim::DoneHere : Claim::DoneByOther;
  held.finish();
  return claim;
}

void SqlStore::RenewLease() {
  if (claimLine_.empty() || std::chrono::steady_clock::now() - renewed_ < std::chrono::seconds(leaseS_) / 3) return;
  Run("UPDATE claims SET lease_until = now() + CAST(? AS INTEGER) * INTERVAL '1 second'"
      " WHERE line = ? AND round = ? AND collector = ? AND NOT done",
      {leaseS_, Text(claimLine_), Text(round_), Text(collector_)})
      .finish();
  renewed_ = std::chrono::steady_clock::now();
}

void SqlStore::EndClaim(bool done) {
  if (claimLine_.empty()) return;
  const std::string line = std::exchange(claimLine_, {});
  Run("UPDATE claims SET done = ?, lease_until = now() WHERE line = ? AND round = ? AND collector = ?",
      {done, Text(line), Text(round_), Text(collector_)})
      .finish();
}

void SqlStore::ReleaseClaims(const std::string& collector) {
  claimLine_.clear();
  if (dialect_ == Dialect::Sqlite) return;
  Run("UPDATE claims SET lease_until = now() WHERE collector = ? AND NOT done AND lease_until > now()",
      {Text(collector)})
      .finish();
}

std::vector<StoredMeter> SqlStore::Meters() {
  QSqlQuery& q = Run("SELECT id, serial_number, name, connection, site, sensor_type FROM meters"
                     " ORDER BY name, serial_number",
                     {});
  std::vector<StoredMeter> meters;
  while (q.next()) {
    meters.push_back({q.value(0).toLongLong(), static_cast<std::uint16_t>(q.value(1).toUInt()),
                      q.value(2).toString().toStdString(), q.value(3).toString().toStdString(),
                      q.value(4).toString().toStdString(), static_cast<std::uint16_t>(q.value(5).toUInt())});
  }
  q.finish();
  return meters;
}

std::vector<StoredRecord> SqlStore::Records(long long meterId, ArchiveKind kind, const std::string& from,
                                            const std::string& to) {
  QSqlQuery& q = Run(
      "SELECT id, record_time, copy_number, volume_plus, volume_minus, plus_decimals, minus_decimals, work_seconds,"
      " voltage, failures, pressure, temperature, error_code, previous_id FROM archive_records"
      " WHERE meter_id = ? AND kind = ? AND (? = '' OR record_time >= ?) AND (? = '' OR record_time <= ?)"
      " ORDER BY record_time, copy_number",
      {meterId, Kind(kind), Text(from), Text(from), Text(to), Text(to)});
  std::vector<StoredRecord> records;
  while (q.next()) records.push_back(RecordOf(q));
  q.finish();
  return records;
}

}  // namespace kamt
