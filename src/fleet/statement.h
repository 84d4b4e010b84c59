#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fleet/store.h"

namespace kamt {

// One day of the monthly statement. A value that no record gives is none: a day the meter's
// archives do not cover is a gap, never a zero.
struct StatementDay {
  int day = 0;
  std::optional<long long> forward;  // units of the statement's decimal places
  std::optional<long long> reverse;
  std::optional<long long> workSeconds;
  std::optional<int> errorHours;     // hours whose record carries an error code
  std::optional<double> sensor;      // mean pressure (kgf/cm²) or temperature (°C) of its hours
  int hours = 0;                     // hourly intervals of the day that were read
  bool fromDaily = false;            // the volumes and time come from the daily archive

  bool Gap() const { return !forward; }
  // Only some of its hours are known, and no daily record covers it.
  bool Partial() const { return forward && !fromDaily && hours < 24; }
};

// A counter reading and when the meter took it (its own clock, "YYYY-MM-DD HH:00:00").
struct StatementCounter {
  std::string time;
  long long plus = 0;
  long long minus = 0;
};

struct Statement {
  int year = 0;
  int month = 0;
  std::uint16_t sensorType = 0;  // 1 pressure, 2 temperature, else none
  RecordUnits units;             // of every volume and counter of the statement
  std::vector<StatementDay> days;
  // The reading at the month's start (its first midnight, or the first record of the month
  // when that one is not stored) and at its end (the next month's first midnight, or the last
  // record of the month so far).
  std::optional<StatementCounter> start;
  std::optional<StatementCounter> end;
  long long totalForward = 0;  // of the days that are not gaps
  long long totalReverse = 0;
  long long totalWorkSeconds = 0;
  int totalErrorHours = 0;
  int gapDays = 0;
};

// The first and last record time a statement of the month reads: "2026-12-01 00:00:00" and
// "2027-01-01 00:00:00".
std::string MonthStart(int year, int month);
std::string MonthEnd(int year, int month);

// The statement from a meter's hourly and daily records of the month (MonthStart to MonthEnd,
// as Store::Records gives them). A day's volumes and working time come from the daily
// interval that covers it, else from the sum of its hourly intervals; its error hours and the
// sensor's mean from the hourly ones.
Statement MakeStatement(int year, int month, std::uint16_t sensorType, const std::vector<StoredRecord>& hourly,
                        const std::vector<StoredRecord>& daily);

// "YYYY-MM" as year and month; false when it is no month.
bool ParseMonth(const std::string& text, int& year, int& month);

// CSV, UTF-8, numbers with a point: one row per day (a gap's cells empty), the totals, then
// the counters at the start and the end.
std::string StatementCsv(const StoredMeter& meter, const Statement& statement);

// The statement as an HTML page for printing ("Ведомость учёта"), numbers with `separator`.
std::string StatementHtml(const StoredMeter& meter, const Statement& statement, const std::string& separator);

}  // namespace kamt
