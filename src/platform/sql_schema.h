#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <string>

namespace kamt {

// The schema version this build writes. A database of an older version is upgraded in place,
// one version at a time, when a collector opens it; one of a newer version is refused.
inline constexpr int kSchemaVersion = 2;

// The two databases the store speaks to. The SQL is written once, for both: the few words
// they spell differently (a row's id, integer and real types, the collation of text) are put
// right for the server when a table is made.
enum class Dialect { Sqlite, Postgres };

// How long a write waits for another process's write (a second collector, a person with the
// sqlite3 shell) before it fails.
inline constexpr int kBusyTimeoutMs = 5000;

// What went wrong, for a person: a database held by another program says so.
std::string SqlFailure(const QString& path, const QSqlError& error);

// The server could not be reached or went away (no SQL state, a connection exception, the
// server shutting down): the same work may succeed once it is back.
bool ServerUnreachable(Dialect dialect, const QSqlError& error);

// For a reader: throws StoreError unless the database is of this build's version.
void CheckVersion(QSqlDatabase& db, const QString& path, Dialect dialect);

// Makes or upgrades the schema inside one transaction; throws StoreError.
void PrepareSchema(QSqlDatabase& db, const QString& path, Dialect dialect);

}  // namespace kamt
