// Any bytes as any frame of the traffic monitor, sent or received: the decoder must read every
// one, and its line must stay one line of four columns that the saved file can carry.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/traffic_decoder.h"
#include "link/traffic_line.h"
#include "link/traffic_log.h"
#include "text/cp1251.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::size_t Count(const std::string& text, char c) {
  std::size_t n = 0;
  for (const char x : text) n += x == c;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the kind (bits 0-1) and the direction (bit 2); the rest is the frame.
  const auto kind = static_cast<kamt::TrafficKind>(data[0] & 3);
  const auto direction = data[0] & 4 ? kamt::TrafficDirection::Received : kamt::TrafficDirection::Sent;
  const std::span<const std::uint8_t> frame(data + 1, size - 1);

  const kamt::TrafficSummary summary = kamt::DescribeTraffic(direction, kind, frame);
  Check(!summary.text.empty());
  Check(summary.text.find_first_of("\t\r\n") == std::string::npos);
  // Every text of the line has its Windows-1251 form: the saved file loses nothing.
  Check(kamt::Cp1251ToUtf8(kamt::Utf8ToCp1251(summary.text)) == summary.text);

  kamt::TrafficLog log(2, [] { return 86399999u; });
  log.Record(direction, kind, frame);
  const std::string line = log.Text(log.FirstNumber(), log.EndNumber(), "\r\n");
  Check(Count(line, '\t') == 3);
  Check(Count(line, '\n') == 1 && line.ends_with("\r\n"));
  Check(kamt::HexText(frame).size() == (frame.empty() ? 0 : frame.size() * 3 - 1));
  return 0;
}
