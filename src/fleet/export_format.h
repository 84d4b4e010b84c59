#pragma once

#include <string>
#include <vector>

#include "fleet/store.h"

namespace kamt {

// One interval: two records that were neighbours in the meter's archive.
struct IntervalRow {
  const StoredRecord* earlier;
  const StoredRecord* later;
};

// The intervals among `records` in the order the meter's archive holds them: each record
// whose predecessor is among them makes a row with it. Two records never read as neighbours
// make no row, as a read that skipped a record writes none across it.
std::vector<IntervalRow> IntervalRows(const std::vector<StoredRecord>& records);

// The archive file a read of the same records writes (KAMTarchH|D|M<serial>.txt), as UTF-8
// text: the writer turns it into Windows-1251.
std::string ArchiveFileText(const StoredMeter& meter, ArchiveKind kind, const std::vector<IntervalRow>& rows);

// CSV and JSON: the file's columns, one row or object per interval, numbers with a point,
// times in ISO 8601 on the meter's own clock.
std::string CsvHeader();
std::string CsvRow(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row);
std::string JsonObject(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row);

}  // namespace kamt
