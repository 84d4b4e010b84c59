#include "meter_defaults.h"

#include <bit>

#include "meter.h"

namespace kamt::sim {

namespace {
// The RS485 bit-rate choices as the meter numbers them.
constexpr std::uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400};

std::uint16_t BaudChoice(std::uint32_t baud) {
  for (std::uint16_t i = 0; i < std::size(kBauds); ++i) {
    if (kBauds[i] == baud) return i;
  }
  return 3;
}

void PutFloat(std::array<std::uint16_t, 0x2A>& r, std::size_t at, float v) {
  const auto bits = std::bit_cast<std::uint32_t>(v);
  r[at] = static_cast<std::uint16_t>(bits >> 16);
  r[at + 1] = static_cast<std::uint16_t>(bits);
}
}  // namespace

std::array<std::uint16_t, 0x2A> DefaultHoldingRegisters(const MeterSettings& s) {
  std::array<std::uint16_t, 0x2A> r{};
  r[0x00] = s.address;
  r[0x01] = BaudChoice(s.baud);  // timeout choice 0 (5 ms) in the high byte
  r[0x05] = s.tcpPort;
  // 192.168.0.10: each register carries its two numbers second first.
  r[0x06] = 0xA8C0;
  r[0x07] = 0x0A00;
  PutFloat(r, 0x0F, 2.5f);    // conversion factor
  PutFloat(r, 0x11, 100.0f);  // maximum flow, m³/h
  PutFloat(r, 0x13, 0.5f);    // frequency correction, Hz
  PutFloat(r, 0x15, 50.0f);   // transition frequency, Hz
  PutFloat(r, 0x17, 5.0f);    // minimum frequency, Hz
  PutFloat(r, 0x19, 0.25f);   // zero offset voltage, V
  r[0x1B] = 4;                // capture cycles
  r[0x1C] = 8;                // divider
  r[0x1D] = 2;                // digits
  r[0x1E] = 2;                // channels
  r[0x1F] = 2;                // display off after 10 minutes
  r[0x20] = 4;                // nominal diameter index: 100 mm
  r[Meter::kSerialNumber] = s.serialNumber;
  r[0x22] = 1;                // probe pulse 35 V
  r[0x23] = 1;                // sensitivity 7 mV
  PutFloat(r, 0x24, 10.0f);   // maximum pressure, kgf/cm²
  PutFloat(r, 0x26, 150.0f);  // maximum temperature, °C
  r[Meter::kSensorType] = s.sensorType;
  r[0x29] = 1;                // positive frequency correction
  return r;
}

}  // namespace kamt::sim
