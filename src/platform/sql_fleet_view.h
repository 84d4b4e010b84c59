#pragma once

#include "fleet/fleet_view.h"

namespace kamt {

class SqlStore;

// The fleet window's reads, over a store's connection (and so on whichever server it has).
class SqlFleetView : public FleetView {
 public:
  explicit SqlFleetView(SqlStore& store) : store_(store) {}
  std::vector<MeterOverview> Overview() override;
  std::vector<PollRow> Polls(const MeterOverview& meter, int limit) override;

 private:
  SqlStore& store_;
};

}  // namespace kamt
