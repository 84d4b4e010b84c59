#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <string>

namespace kamt {

// The schema version this build writes. A database of an older version is upgraded in place,
// one version at a time, when a collector opens it; one of a newer version is refused.
inline constexpr int kSchemaVersion = 1;

// How long a write waits for another process's write (a second collector, a person with the
// sqlite3 shell) before it fails.
inline constexpr int kBusyTimeoutMs = 5000;

// What went wrong, for a person: a database held by another program says so.
std::string SqlFailure(const QString& path, const QSqlError& error);

// For a reader: throws StoreError unless the database is of this build's version.
void CheckVersion(QSqlDatabase& db, const QString& path);

// Makes or upgrades the schema inside one transaction; throws StoreError.
void PrepareSchema(QSqlDatabase& db, const QString& path);

}  // namespace kamt
