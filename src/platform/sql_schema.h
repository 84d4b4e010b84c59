#pragma once

#include <QSqlDatabase>

namespace kamt {

// The schema version this build writes. A database of an older version is upgraded in place,
// one version at a time, when a collector opens it; one of a newer version is refused.
inline constexpr int kSchemaVersion = 1;

// Makes or upgrades the schema inside one transaction; throws StoreError.
void PrepareSchema(QSqlDatabase& db, const QString& path);

}  // namespace kamt
