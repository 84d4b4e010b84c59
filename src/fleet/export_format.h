#pragma once

#include <filesystem>
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

// Writes the archive file of the rows into `folder` (made when missing): its path, or empty
// with `error` said.
std::filesystem::path WriteArchiveFile(const StoredMeter& meter, ArchiveKind kind, const std::vector<IntervalRow>& rows,
                                       const std::filesystem::path& folder, std::string& error);

// CSV and JSON: the file's columns, one row or object per interval, numbers with a point,
// times in ISO 8601 on the meter's own clock.
std::string CsvHeader();
std::string CsvRow(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row);
// A count of units of `decimals` places (0, 1, anything else 2, as the counters have them)
// as a plain decimal number with a point.
std::string Decimal(long long units, int decimals);

// Every interval of the meter's archives as CSV, header first: what `kamt export --format csv
// --meter` writes of it.
std::string MeterCsv(Store& store, const StoredMeter& meter);

std::string JsonObject(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row);

}  // namespace kamt
