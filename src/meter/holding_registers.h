#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kamt {

struct Session;

// The meter's holding registers (communication parameters, clock, configuration) as one
// command reads or writes them: one request, one answer, no retry.

// Reads area.size() / 2 registers from `start` with function 0x03 into `area`, showing
// progressText in status panel 1 first. A failure is reported as a single command reports it,
// ending with "Ошибка чтения"; the caller shows its own text on success.
bool ReadHoldingRegisters(Session& session, std::uint16_t start, std::span<std::uint8_t> area,
                          std::string_view progressText);

// Writes `values` (two bytes a register, high byte first) from `start` with function 0x10 and
// ends with "Запись выполнена" or "Ошибка записи" in status panel 1. The progress text is shown
// over the serial line only: over Ethernet panel 1 keeps what it held.
bool WriteHoldingRegisters(Session& session, std::uint16_t start, std::span<const std::uint8_t> values,
                           std::string_view serialProgressText);

}  // namespace kamt
