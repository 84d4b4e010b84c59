#include "schedule.h"

#include <algorithm>

namespace kamt::sim {

void Schedule::Add(Emission e) {
  const auto later = std::upper_bound(items_.begin(), items_.end(), e.at,
                                      [](Millis at, const Emission& item) { return at < item.at; });
  items_.insert(later, std::move(e));
}

std::vector<Emission> Schedule::TakeDue(Millis now) {
  const auto dueEnd = std::upper_bound(items_.begin(), items_.end(), now,
                                        [](Millis at, const Emission& item) { return at < item.at; });
  std::vector<Emission> due(std::make_move_iterator(items_.begin()), std::make_move_iterator(dueEnd));
  items_.erase(items_.begin(), dueEnd);
  return due;
}

std::optional<Millis> Schedule::Next() const {
  if (items_.empty()) return std::nullopt;
  return items_.front().at;
}

}  // namespace kamt::sim
