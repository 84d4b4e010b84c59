#pragma once

#include <cstdint>
#include <span>

namespace kamt {

// CRC-16 of the Modbus serial line (polynomial 0xA001 reflected, initial 0xFFFF), computed
// with the standard's two 256-entry tables. The count is 8 bits wide: a frame holds at most
// 255 bytes before its CRC.

// Writes the CRC of frame[0..n) into frame[n] (low byte) and frame[n+1] (high byte).
// frame must hold n + 2 bytes.
void Crc16Append(std::span<std::uint8_t> frame, std::uint8_t n);

// Runs the CRC over frame[0..n), the frame's own two CRC bytes included: 0 exactly when the
// frame ends with its correct CRC. The value is (low byte) * 256 + (high byte).
std::uint16_t Crc16Check(std::span<const std::uint8_t> frame, std::uint8_t n);

}  // namespace kamt
