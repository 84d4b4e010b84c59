#include "rtu_framer.h"

#include <algorithm>

#include "link/crc16.h"
#include "modbus_handler.h"

namespace kamt::sim {

namespace {
constexpr std::size_t kMinFrame = 4;    // address, function, CRC
constexpr std::size_t kMaxFrame = 256;  // the longest Modbus RTU frame
}  // namespace

bool CrcMatches(std::span<const std::uint8_t> frame) {
  if (frame.size() < kMinFrame || frame.size() > 255) return false;
  return Crc16Check(frame, static_cast<std::uint8_t>(frame.size())) == 0;
}

int RtuFramer::PredictLength(std::span<const std::uint8_t> head) {
  if (head.size() < 2) return 0;
  switch (head[1]) {
    case fn::kReadHolding:
    case fn::kReadInput:
      return 8;
    case fn::kWriteMultiple: {
      if (head.size() < 7) return 0;
      const int count = head[4] << 8 | head[5];
      return count > 0 && count <= 123 && head[6] == 2 * count ? 9 + head[6] : -1;
    }
    case fn::kHourlyArchive:
    case fn::kDailyArchive:
    case fn::kMonthlyArchive:
      return 6;
    default:
      return -1;
  }
}

void RtuFramer::Push(std::span<const std::uint8_t> bytes, Millis now) {
  if (bytes.empty()) return;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  while (buffer_.size() > kMaxBuffered) buffer_.pop_front();
  lastByte_ = now;
}

std::vector<std::uint8_t> RtuFramer::Take(std::size_t n) {
  std::vector<std::uint8_t> frame(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
  return frame;
}

std::optional<std::vector<std::uint8_t>> RtuFramer::Next(Millis now) {
  while (!buffer_.empty()) {
    const std::size_t peek = std::min<std::size_t>(buffer_.size(), 7);
    const std::vector<std::uint8_t> head(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(peek));
    const int predicted = PredictLength(head);
    if (predicted > 0 && buffer_.size() >= static_cast<std::size_t>(predicted)) {
      const auto n = static_cast<std::size_t>(predicted);
      const std::vector<std::uint8_t> candidate(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
      if (CrcMatches(candidate)) return Take(n);
      buffer_.pop_front();  // not a frame after all: look again one byte later
      continue;
    }
    if (!silenceMs_ && predicted >= 0) return std::nullopt;  // the rest of it may still come
    if (silenceMs_ && !Silent(now)) return std::nullopt;     // more may still come
    if (predicted < 0 && buffer_.size() <= kMaxFrame) {
      const std::vector<std::uint8_t> all(buffer_.begin(), buffer_.end());
      if (CrcMatches(all)) return Take(all.size());
    }
    buffer_.pop_front();  // a silence ended an incomplete or broken frame
  }
  return std::nullopt;
}

std::optional<Millis> RtuFramer::Deadline() const {
  if (buffer_.empty() || !silenceMs_) return std::nullopt;
  return lastByte_ + *silenceMs_;
}

}  // namespace kamt::sim
