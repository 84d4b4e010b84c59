#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "meter.h"
#include "time_base.h"

namespace kamt::sim {

using Pdu = std::vector<std::uint8_t>;

namespace fn {
inline constexpr std::uint8_t kReadHolding = 0x03;
inline constexpr std::uint8_t kReadInput = 0x04;
inline constexpr std::uint8_t kWriteMultiple = 0x10;
inline constexpr std::uint8_t kHourlyArchive = 0x46;
inline constexpr std::uint8_t kDailyArchive = 0x47;
inline constexpr std::uint8_t kMonthlyArchive = 0x48;
}  // namespace fn

namespace exc {
inline constexpr std::uint8_t kIllegalFunction = 1;
inline constexpr std::uint8_t kIllegalAddress = 2;
inline constexpr std::uint8_t kIllegalValue = 3;
inline constexpr std::uint8_t kDeviceFailure = 4;
}  // namespace exc

Pdu ExceptionPdu(std::uint8_t function, std::uint8_t code);
bool IsArchiveFunction(std::uint8_t function);

// Answers one request PDU (function code and data, no address, CRC or header) the way the
// meter does; every malformed request gets the Modbus exception that fits it.
class ModbusHandler {
 public:
  // `time` turns the `now` of a request into the meters' simulated time; none: the same.
  explicit ModbusHandler(Meter& meter, const TimeBase* time = nullptr) : meter_(meter), time_(time) {}

  Pdu Answer(std::span<const std::uint8_t> pdu, Millis now);

 private:
  Pdu ReadHolding(std::span<const std::uint8_t> pdu, Millis now) const;
  Pdu ReadInput(std::span<const std::uint8_t> pdu, Millis now) const;
  Pdu WriteMultiple(std::span<const std::uint8_t> pdu, Millis now);
  Pdu ReadArchive(std::span<const std::uint8_t> pdu) const;

  Meter& meter_;
  const TimeBase* time_;
};

}  // namespace kamt::sim
