#include "platform/sql_schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "fleet/store.h"

namespace kamt {
namespace {

// Version 1. Times of the computer are UTC in ISO 8601; record times are the meter's own
// clock, "YYYY-MM-DD HH:00:00", with no time zone. Counters are in units of their last decimal
// place, as the meter keeps them.
const char* const kVersion1[] = {
    "CREATE TABLE meters ("
    " id INTEGER PRIMARY KEY,"
    " serial_number INTEGER NOT NULL UNIQUE,"
    " name TEXT NOT NULL,"
    " connection TEXT NOT NULL,"
    " site TEXT NOT NULL DEFAULT '',"
    " sensor_type INTEGER NOT NULL DEFAULT 0,"
    " plus_decimals INTEGER NOT NULL DEFAULT 2,"
    " minus_decimals INTEGER NOT NULL DEFAULT 2,"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL)",
    "CREATE TABLE snapshots ("
    " id INTEGER PRIMARY KEY,"
    " meter_id INTEGER NOT NULL REFERENCES meters(id),"
    " taken_at TEXT NOT NULL,"
    " meter_time TEXT NOT NULL,"
    " status INTEGER NOT NULL,"
    " flow REAL,"
    " plus_counter INTEGER NOT NULL,"
    " minus_counter INTEGER NOT NULL,"
    " plus_decimals INTEGER NOT NULL,"
    " minus_decimals INTEGER NOT NULL,"
    " work_seconds INTEGER NOT NULL,"
    " run_seconds INTEGER NOT NULL,"
    " hour_records INTEGER NOT NULL,"
    " day_records INTEGER NOT NULL,"
    " month_records INTEGER NOT NULL,"
    " pressure REAL,"
    " temperature REAL,"
    " sensor_type INTEGER NOT NULL)",
    "CREATE TABLE archive_records ("
    " id INTEGER PRIMARY KEY,"
    " meter_id INTEGER NOT NULL REFERENCES meters(id),"
    " kind TEXT NOT NULL CHECK (kind IN ('hourly', 'daily', 'monthly')),"
    " record_time TEXT NOT NULL,"
    " copy_number INTEGER NOT NULL DEFAULT 0,"
    " volume_plus INTEGER NOT NULL,"
    " volume_minus INTEGER NOT NULL,"
    " plus_decimals INTEGER NOT NULL,"
    " minus_decimals INTEGER NOT NULL,"
    " work_seconds INTEGER NOT NULL,"
    " voltage INTEGER NOT NULL,"
    " failures INTEGER NOT NULL,"
    " pressure REAL,"
    " temperature REAL,"
    " error_code INTEGER NOT NULL,"
    " previous_id INTEGER REFERENCES archive_records(id),"
    " stored_at TEXT NOT NULL,"
    " UNIQUE (meter_id, kind, record_time, copy_number))",
    "CREATE TABLE archive_frontiers ("
    " meter_id INTEGER NOT NULL REFERENCES meters(id),"
    " kind TEXT NOT NULL,"
    " record_id INTEGER NOT NULL REFERENCES archive_records(id),"
    " PRIMARY KEY (meter_id, kind))",
    "CREATE TABLE polls ("
    " id INTEGER PRIMARY KEY,"
    " meter_id INTEGER REFERENCES meters(id),"
    " name TEXT NOT NULL,"
    " started_at TEXT NOT NULL,"
    " ended_at TEXT NOT NULL,"
    " outcome TEXT NOT NULL,"
    " message TEXT NOT NULL,"
    " requests INTEGER NOT NULL,"
    " failed_attempts INTEGER NOT NULL,"
    " clock_offset_s INTEGER,"
    " records_stored INTEGER NOT NULL)",
    "CREATE INDEX meters_by_name ON meters (name, last_seen)",
    "CREATE INDEX polls_by_meter ON polls (meter_id, started_at)",
    "CREATE INDEX snapshots_by_meter ON snapshots (meter_id, taken_at)",
};

}  // namespace

std::string SqlFailure(const QString& path, const QSqlError& error) {
  // SQLite's own codes for a database another connection holds: SQLITE_BUSY, SQLITE_LOCKED.
  if (error.nativeErrorCode() == "5" || error.nativeErrorCode() == "6") {
    return "database " + path.toStdString() + " is locked by another program, still after " +
           std::to_string(kBusyTimeoutMs / 1000) + " s: nothing was written";
  }
  return "database " + path.toStdString() + ": " + error.text().toStdString();
}

namespace {

void Run(QSqlDatabase& db, const QString& path, const QString& sql) {
  QSqlQuery query(db);
  if (!query.exec(sql)) {
    throw StoreError(SqlFailure(path, query.lastError()));
  }
}

int StoredVersion(QSqlDatabase& db, const QString& path) {
  QSqlQuery query(db);
  if (!query.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'")) {
    throw StoreError(SqlFailure(path, query.lastError()));
  }
  if (!query.next()) return 0;
  QSqlQuery version(db);
  if (!version.exec("SELECT version FROM schema_version") || !version.next()) return 0;
  return version.value(0).toInt();
}

}  // namespace

void CheckVersion(QSqlDatabase& db, const QString& path) {
  const int version = StoredVersion(db, path);
  if (version != kSchemaVersion) {
    throw StoreError("database " + path.toStdString() + " is of schema version " + std::to_string(version) +
                     "; this kamt reads version " + std::to_string(kSchemaVersion) +
                     (version < kSchemaVersion ? " (kamt collect upgrades it)" : ""));
  }
}

void PrepareSchema(QSqlDatabase& db, const QString& path) {
  // Takes the write lock at once: two collectors starting together never both make the tables.
  Run(db, path, "BEGIN IMMEDIATE");
  try {
    const int version = StoredVersion(db, path);
    if (version > kSchemaVersion) {
      throw StoreError("database " + path.toStdString() + " is of schema version " + std::to_string(version) +
                       "; this kamt knows versions up to " + std::to_string(kSchemaVersion));
    }
    if (version == 0) {
      for (const char* statement : kVersion1) Run(db, path, statement);
      Run(db, path, "CREATE TABLE schema_version (version INTEGER NOT NULL)");
      Run(db, path, "INSERT INTO schema_version (version) VALUES (1)");
    }
    // Later versions: each step from version N to N + 1 goes here, then the version row.
    Run(db, path, "COMMIT");
  } catch (...) {
    QSqlQuery(db).exec("ROLLBACK");
    throw;
  }
}

}  // namespace kamt
