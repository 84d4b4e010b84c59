#include "fleet/fleet_view.h"

#include "meter/current_data.h"

namespace kamt {

bool MeterOverview::Faulty() const {
  if (lastPoll && lastPoll->outcome != "ok") return true;
  if (errorCode && *errorCode != 0) return true;
  return status && !MeterStateNormal(*status);
}

}  // namespace kamt
