#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kamt {

// What a user types into an edit, read the way the window reads it before a write. Blanks
// around the text are allowed; anything else that is not part of the number makes it no number.

// A signed 32-bit decimal integer: an optional sign and decimal digits. A value beyond the
// 32-bit range is no number (it is never wrapped).
std::optional<std::int32_t> ParseInteger(std::string_view text);

// Such an integer from low to high; nothing when it is no number or lies outside, so that a
// value a register cannot hold is never cut into one it can (70000 into 4464).
std::optional<std::int32_t> ParseIntegerIn(std::string_view text, std::int32_t low, std::int32_t high);

// A decimal number stored as single precision: an optional sign, digits with one decimal
// separator, an optional exponent ("1,5E-5", as the edits show small values). Both the locale's
// separator and a point are taken, so 2.5 is not refused under a comma locale. A magnitude
// beyond single precision is no number; one too small for it becomes 0.
std::optional<float> ParseNumber(std::string_view text, std::string_view localeSeparator);

}  // namespace kamt
