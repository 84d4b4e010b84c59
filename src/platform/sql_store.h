#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <map>
#include <mutex>

#include "fleet/store.h"

namespace kamt {

// The store on SQLite through Qt SQL. Each object is one connection, to be used by the thread
// that made it; SQLite in WAL mode lets the connections of many threads read while one writes.
// The SQL is what PostgreSQL accepts too, so a server store is another connection, not
// another store.
class SqlStore : public Store {
 public:
  // Opens the database, making it and its schema when new; throws StoreError. A further
  // connection of a process that has prepared the database leaves that out; one to read
  // (export) writes nothing and takes only a database of this build's schema version.
  enum class Open { Prepare, Prepared, Read };
  explicit SqlStore(const std::string& path, Open open = Open::Prepare);
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
  std::vector<StoredMeter> Meters() override;
  std::vector<StoredRecord> Records(long long meterId, ArchiveKind kind, const std::string& from,
                                    const std::string& to) override;

  // The connection, for readers of their own (SqlFleetView) on the same database.
  QSqlDatabase& Database() { return db_; }
  const QString& Path() const { return path_; }

 private:
  // The statement, prepared once per connection, with its values bound in order and run.
  QSqlQuery& Run(const char* sql, std::initializer_list<QVariant> values);
  void Fail(const QString& what) const;
  // The stored records of the meter's archive with times within the batch's.
  std::map<std::string, std::vector<StoredRecord>> StoredAt(long long meterId, ArchiveKind kind,
                                                            const std::vector<ArchiveRecord>& batch);
  long long Insert(long long meterId, ArchiveKind kind, const ArchiveRecord& record, RecordUnits units, int copy,
                   std::optional<long long> previousId, const std::string& now);
  void Link(long long recordId, std::optional<long long> previousId);
  std::string Why(const QSqlError& error) const;

  QString path_;
  QString connectionName_;
  QSqlDatabase db_;
  std::map<const char*, QSqlQuery> statements_;
  // The connections of one process write one after another: none of them then waits on
  // SQLite's lock, whose back-off sleeps would hold up the polls.
  std::unique_lock<std::mutex> writing_;
};

}  // namespace kamt
