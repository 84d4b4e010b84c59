#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kamt {

class SilentWindow;
class Store;
struct FleetMeter;
struct Session;

// How one meter's poll went, for the progress line, the summary and the polls table.
struct PollReport {
  std::string name;
  std::string outcome = "failed";  // ok, partial (something was not read), failed, stopped
  std::string message;
  std::optional<std::uint16_t> serialNumber;
  std::string note;  // a replaced meter
  int requests = 0;
  int failedAttempts = 0;
  int stored = 0;
  int clockSetBack = 0;
  std::optional<long long> clockOffsetS;

  bool Ok() const { return outcome == "ok"; }
};

// Polls one meter over a session that is connected: the current data, then each archive asked
// for (and read for this meter) from its newest record back to what is stored. Stores as it
// goes and ends with a row in the polls table. StoreError passes through.
PollReport PollMeter(Session& session, SilentWindow& window, Store& store, const FleetMeter& meter,
                     const std::array<bool, 3>& archives, const std::function<std::string()>& utcNow);

// A report for a meter whose line could not be reached: also stored as its poll.
PollReport UnreachedMeter(Store& store, const FleetMeter& meter, const std::string& why, const std::string& utcNow);

}  // namespace kamt
