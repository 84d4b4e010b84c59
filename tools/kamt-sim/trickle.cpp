#include "trickle.h"

#include <algorithm>

namespace kamt::sim {

void Trickle::Start(std::vector<std::uint8_t> opening, std::uint8_t filler, Millis first, Millis period) {
  opening_ = std::move(opening);
  sent_ = 0;
  filler_ = filler;
  period_ = std::max<Millis>(period, 1);
  next_ = first;
}

std::vector<std::uint8_t> Trickle::TakeDue(Millis now) {
  std::vector<std::uint8_t> due;
  while (next_ && *next_ <= now) {
    due.push_back(sent_ < opening_.size() ? opening_[sent_] : filler_);
    ++sent_;
    *next_ += period_;
  }
  return due;
}

}  // namespace kamt::sim
