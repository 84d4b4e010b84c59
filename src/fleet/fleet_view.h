#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fleet/store.h"

namespace kamt {

// A meter of the database as the fleet window lists it: who it is, its last poll (a poll in
// which it never answered counts too, found by its name) and its last current data.
struct MeterOverview {
  StoredMeter meter;
  std::string lastSeen;                  // UTC, ISO 8601
  std::optional<PollRow> lastPoll;
  long long records = 0;                 // archive records stored, every kind
  std::optional<std::uint32_t> status;   // the status word of the last current data
  std::string meterTime;                 // the meter's clock then, "YYYY-MM-DD HH:MM:SS"
  std::optional<int> errorCode;          // of the newest hourly record stored

  // The last poll failed or was cut short, or the meter reported a fault (in its state or as
  // the newest hour's error code).
  bool Faulty() const;
};

// What the fleet window reads of a database, besides Store::Records. Throws StoreError.
class FleetView {
 public:
  virtual ~FleetView() = default;
  virtual std::vector<MeterOverview> Overview() = 0;
  // The meter's polls, newest first, at most `limit`.
  virtual std::vector<PollRow> Polls(const MeterOverview& meter, int limit) = 0;
};

}  // namespace kamt
