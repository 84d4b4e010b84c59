#include "reply.h"

#include <cmath>
#include <random>

#include "link/crc16.h"

namespace kamt::sim {

namespace {
constexpr std::uint8_t kWrongUnit = 0x01;

// A repeater or a noisy converter sends a late copy: it goes out whatever came meanwhile, and
// it adds to what the master has not read yet instead of replacing it.
std::vector<Emission> WithDuplicate(std::vector<Emission> answer, const FaultAction& fault) {
  if (!fault.duplicateMs) return answer;
  Emission copy = answer.back();
  copy.at += *fault.duplicateMs;
  copy.continued = true;
  answer.push_back(std::move(copy));
  return answer;
}
}  // namespace

Millis LineTime(std::size_t bytes, std::uint32_t baud) {
  if (baud == 0) return 0;
  return std::llround(static_cast<double>(bytes) * 10.0 * 1000.0 / baud);
}

std::vector<std::uint8_t> RtuFrame(std::uint8_t address, const Pdu& pdu) {
  std::vector<std::uint8_t> frame{address};
  frame.insert(frame.end(), pdu.begin(), pdu.end());
  const auto n = static_cast<std::uint8_t>(frame.size());
  frame.resize(frame.size() + 2);
  Crc16Append(frame, n);
  return frame;
}

std::vector<std::uint8_t> SerialNoise(std::size_t count, std::uint32_t seed) {
  std::minstd_rand random(seed);
  std::vector<std::uint8_t> noise(count);
  for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>(random() >> 8);
  // A leading part that happens to end in its own CRC would be a frame: spoil its last byte.
  for (std::size_t n = 1; n <= noise.size(); ++n) {
    if (n <= 255 && Crc16Check(noise, static_cast<std::uint8_t>(n)) == 0) noise[n - 1] ^= 0x01;
  }
  return noise;
}

std::vector<std::uint8_t> TcpNoise(std::size_t count, std::uint32_t seed, const MbapRequest& request) {
  std::vector<std::uint8_t> noise = SerialNoise(count, seed);
  if (!noise.empty() && noise[0] == request.transaction[0]) noise[0] ^= 0x80;
  return noise;
}

std::vector<std::uint8_t> EndlessTcpOpening(const MbapRequest& request) {
  return {request.transaction[0], request.transaction[1], 0x00, 0x00, 0xFF, 0xFF, request.unit};
}

std::vector<Emission> ShapeSerialReply(std::uint8_t address, const Pdu& pdu, const FaultAction& fault,
                                       Millis requestEnd, std::size_t requestSize, std::uint32_t baud) {
  if (fault.silent || fault.drop) return {};
  if (fault.noise > 0) {
    std::vector<std::uint8_t> noise = SerialNoise(static_cast<std::size_t>(fault.noise), fault.noiseSeed);
    const Millis at = requestEnd + fault.delayMs + LineTime(requestSize + noise.size(), baud);
    return {Emission{at, std::move(noise), true, false}};
  }
  if (pdu.empty()) return {};
  const int from = !fault.wrongAddress ? address : *fault.wrongAddress == kNextAddress ? address + 1 : *fault.wrongAddress;
  std::vector<std::uint8_t> frame = RtuFrame(static_cast<std::uint8_t>(from), pdu);
  if (fault.badCrc) frame.back() ^= 0xFF;
  if (fault.half) frame.resize(frame.size() / 2);
  const Millis at = requestEnd + fault.delayMs + LineTime(requestSize + frame.size(), baud);
  return WithDuplicate({Emission{at, std::move(frame), true, false}}, fault);
}

std::vector<std::uint8_t> TcpFrame(const MbapRequest& request, const Pdu& pdu, const FaultAction& fault) {
  std::array<std::uint8_t, 2> transaction = request.transaction;
  if (fault.wrongTransaction) transaction[1] = static_cast<std::uint8_t>(transaction[1] + 1);
  const std::size_t length = pdu.size() + 1 + (fault.wrongLength ? 1 : 0);
  std::vector<std::uint8_t> frame{transaction[0], transaction[1],
                                  0x00, static_cast<std::uint8_t>(fault.wrongProtocol ? 0x01 : 0x00),
                                  static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                                  fault.wrongUnit ? kWrongUnit : request.unit};
  frame.insert(frame.end(), pdu.begin(), pdu.end());
  return frame;
}

std::vector<Emission> ShapeTcpReply(const MbapRequest& request, const Pdu& pdu, const FaultAction& fault, Millis now) {
  const Millis at = now + fault.delayMs;
  if (fault.drop || fault.reset) return {Emission{at, {}, true, true, fault.reset}};
  if (fault.silent) return {};
  if (fault.noise > 0) {
    return {Emission{at, TcpNoise(static_cast<std::size_t>(fault.noise), fault.noiseSeed, request), true, false}};
  }
  if (pdu.empty()) return {};
  std::vector<std::uint8_t> frame = TcpFrame(request, pdu, fault);
  if (fault.splitMs) {
    const auto half = static_cast<std::ptrdiff_t>(frame.size() / 2);
    return {Emission{at, {frame.begin(), frame.begin() + half}, true, false},
            Emission{at + *fault.splitMs, {frame.begin() + half, frame.end()}, true, false}};
  }
  if (fault.twoFrames) {
    const std::vector<std::uint8_t> copy = frame;
    frame.insert(frame.end(), copy.begin(), copy.end());
  }
  return WithDuplicate({Emission{at, std::move(frame), true, false}}, fault);
}

}  // namespace kamt::sim
