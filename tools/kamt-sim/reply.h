#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fault_plan.h"
#include "modbus_handler.h"
#include "schedule.h"

namespace kamt::sim {

// The time a line of this bit rate needs for `bytes` bytes of ten bits each (start, eight data
// bits, stop); 0 when no bit rate is simulated.
Millis LineTime(std::size_t bytes, std::uint32_t baud);

std::vector<std::uint8_t> RtuFrame(std::uint8_t address, const Pdu& pdu);

// A serial answer as the faults shape it. With a bit rate, the last byte of the answer leaves
// as long after the last byte of the request as the whole exchange takes on such a line.
std::vector<Emission> ShapeSerialReply(std::uint8_t address, const Pdu& pdu, const FaultAction& fault,
                                       Millis requestEnd, std::size_t requestSize, std::uint32_t baud);

// The Modbus TCP header that came with a request; its transaction bytes are echoed as received.
struct MbapRequest {
  std::array<std::uint8_t, 2> transaction{};
  std::uint8_t unit = 0xFF;
};

std::vector<std::uint8_t> TcpFrame(const MbapRequest& request, const Pdu& pdu, const FaultAction& fault);

// `count` bytes of line noise, the same for the same seed. Over the serial line no leading
// part of them is a frame with a right CRC; over TCP they never begin with the request's
// transaction identifier: no master can take them for an answer.
std::vector<std::uint8_t> SerialNoise(std::size_t count, std::uint32_t seed);
std::vector<std::uint8_t> TcpNoise(std::size_t count, std::uint32_t seed, const MbapRequest& request);

// What an answer that never ends repeats after its opening: no run of it has a right CRC.
inline constexpr std::uint8_t kEndlessFiller = 0x55;
// Over TCP it opens with a header that announces the longest frame there is.
std::vector<std::uint8_t> EndlessTcpOpening(const MbapRequest& request);
std::vector<Emission> ShapeTcpReply(const MbapRequest& request, const Pdu& pdu, const FaultAction& fault, Millis now);

}  // namespace kamt::sim
