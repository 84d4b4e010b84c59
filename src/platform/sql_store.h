#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <chrono>
#include <map>
#include <mutex>

#include "fleet/database_address.h"
#include "fleet/store.h"
#include "platform/sql_schema.h"

namespace kamt {

// The store on SQLite or on a PostgreSQL server, through Qt SQL (its QSQLITE and QPSQL
// drivers). Each object is one connection, to be used by the thread that made it; SQLite in WAL
// mode lets the connections of many threads read while one writes, the server lets them all
// write. The SQL is one for both but for a few statements (see Dialect).
class SqlStore : public Store {
 public:
  // Opens the database, making it and its schema when new; throws StoreError. A further
  // connection of a process that has prepared the database leaves that out; one to read
  // (export) writes nothing and takes only a database of this build's schema version.
  enum class Open { Prepare, Prepared, Read };
  // `address`: an SQLite file's path or a server's address (see DatabaseAddress).
  explicit SqlStore(const std::string& address, Open open = Open::Prepare);
  ~SqlStore() override;
  SqlStore(const SqlStore&) = delete;
  SqlStore& operator=(const SqlStore&) = delete;

  void Begin() override;
  void Commit() override;
  void Rollback() override;

  long long SaveMeter(std::uint16_t serialNumber, const FleetMeter& line, const CurrentDataRecord& data,
                      const std::string& now) override;
  std::optional<std::uint16_t> SerialOfName(const std::string& name) override;
  void SaveSnapshot(long long meterId, const CurrentDataRecord& data, const std::string& now) override;
  std::optional<StoredRecord> Frontier(long long meterId, ArchiveKind kind) override;
  void SetFrontier(long long meterId, ArchiveKind kind, long long recordId) override;
  PutResult PutRecords(long long meterId, ArchiveKind kind, RecordUnits units,
                       const std::vector<ArchiveRecord>& newestFirst, std::optional<long long> newerId,
                       std::optional<long long> olderId, const std::string& now) override;
  void SavePoll(const PollRow& poll) override;
  Claim ClaimLine(const std::string& line, const std::string& round, const std::string& collector,
                  int leaseS) override;
  void EndClaim(bool done) override;
  void ReleaseClaims(const std::string& collector) override;
  std::vector<StoredMeter> Meters() override;
  std::vector<StoredRecord> Records(long long meterId, ArchiveKind kind, const std::string& from,
                                    const std::string& to) override;

  // The connection, for readers of their own (SqlFleetView) on the same database.
  QSqlDatabase& Database() { return db_; }
  // The database as messages name it: the file, or the server with its password masked.
  const QString& Path() const { return shown_; }

 private:
  void OpenServer(const DatabaseAddress& address, Open open);
  // The statement, prepared once per connection, with its values bound in order and run.
  QSqlQuery& Run(const char* sql, std::initializer_list<QVariant> values);
  // Runs a statement of its own (transactions, settings); throws StoreError.
  void Exec(const char* sql);
  [[noreturn]] void Fail(const QString& what) const;
  [[noreturn]] void Throw(const QSqlError& error) const;
  // The claim's lease made long again, in the transaction about to commit, when a third of it
  // has gone: a collector storing a long poll keeps its line.
  void RenewLease();
  // The stored records of the meter's archive with times within the batch's.
  std::map<std::string, std::vector<StoredRecord>> StoredAt(long long meterId, ArchiveKind kind,
                                                            const std::vector<ArchiveRecord>& batch);
  // The new row's id; 0 when another connection has just stored a record of that time and copy.
  long long Insert(long long meterId, ArchiveKind kind, const ArchiveRecord& record, RecordUnits units, int copy,
                   std::optional<long long> previousId, const std::string& now);
  void Link(long long recordId, std::optional<long long> previousId);
  std::string Why(const QSqlError& error) const;

  Dialect dialect_ = Dialect::Sqlite;
  QString shown_;  // the database for messages: the file, or the server with its password masked
  QString connectionName_;
  QSqlDatabase db_;
  std::map<const char*, QSqlQuery> statements_;
  // The connections of one process write one after another: none of them then waits on
  // SQLite's lock, whose back-off sleeps would hold up the polls.
  std::unique_lock<std::mutex> writing_;
  // The line claimed last, while held; the round and collector stay for the polls rows.
  std::string claimLine_, round_, collector_;
  int leaseS_ = 0;
  std::chrono::steady_clock::time_point renewed_;
};

}  // namespace kamt
