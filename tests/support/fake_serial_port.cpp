#include "fake_serial_port.h"

#include <algorithm>

#include "link/crc16.h"

namespace kamt::test {

bool FakeSerialPort::Open(const std::string& name) {
  calls.push_back("open " + name);
  open_ = openFailure == OpenFailure::None;
  return open_;
}

std::vector<std::string> FakeSerialPort::Configure(const LineParameters& line) {
  calls.emplace_back("configure");
  configured.push_back(line);
  return refuse;
}

void FakeSerialPort::Purge() {
  calls.emplace_back("purge");
  std::erase_if(pending_, [&](const Arrival& a) { return a.at <= clock_.now; });
}

void FakeSerialPort::Write(std::span<const std::uint8_t> bytes) {
  calls.emplace_back("write");
  written.emplace_back(bytes.begin(), bytes.end());
  if (onWrite) onWrite(bytes);
  if (replies.empty()) return;
  for (Piece& piece : replies.front()) {
    pending_.push_back({clock_.now + static_cast<std::uint64_t>(piece.atMs), std::move(piece.bytes)});
  }
  replies.pop_front();
}

std::size_t FakeSerialPort::ReadSome(std::span<std::uint8_t> destination, int timeoutMs) {
  if (!open_) return 0;  // a real port that is gone answers at once
  if (pending_.empty() || pending_.front().at > clock_.now + static_cast<std::uint64_t>(timeoutMs)) {
    clock_.now += static_cast<std::uint64_t>(std::max(timeoutMs, 0));
    return 0;
  }
  Arrival& next = pending_.front();
  clock_.now = std::max(clock_.now, next.at);
  const std::size_t n = std::min(destination.size(), next.bytes.size());
  std::copy_n(next.bytes.begin(), n, destination.begin());
  next.bytes.erase(next.bytes.begin(), next.bytes.begin() + static_cast<std::ptrdiff_t>(n));
  if (next.bytes.empty()) pending_.pop_front();
  return n;
}

std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> frame) {
  const auto n = static_cast<std::uint8_t>(frame.size());
  frame.resize(frame.size() + 2);
  Crc16Append(frame, n);
  return frame;
}

}  // namespace kamt::test
