#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kamt {

inline constexpr std::size_t kFrameBufferSize = 256;

// The one request buffer and the one answer buffer of the link. Only one exchange runs at a
// time, so every service shares them. Serial: whole RTU frames from byte 0 (the address).
// Modbus TCP: the request PDU starts at TxBuffer[1], where the serial frame has it too, and
// the answer PDU is placed at RxBuffer[0].
struct FrameBuffers {
  std::array<std::uint8_t, kFrameBufferSize> TxBuffer{};
  std::array<std::uint8_t, kFrameBufferSize> RxBuffer{};
  int TxLength = 0;
  int RxLength = 0;
};

}  // namespace kamt
