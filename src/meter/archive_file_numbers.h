#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kamt {

// A number printed as "%d.%0Nd" of a quotient and a remainder that keep the sign of what was
// divided: -5 hundredths print "0.-5", -105 print "-1.-5". Without a point, the whole number.
struct SplitDecimal {
  std::int64_t whole = 0;
  bool negativeWhole = false;
  bool hasPoint = false;
  std::int64_t fraction = 0;  // signed, as printed
  std::size_t fractionDigits = 0;
};

std::optional<SplitDecimal> ParseSplitDecimal(std::string_view text);

// Whether the printed remainder fits a counter of that many decimal places: a remainder that
// is not negative carries all its digits, a negative one drops its leading zeros.
bool FitsDecimals(const SplitDecimal& d, int decimals);

// In units of the last decimal place. A conventional "-1.05" is taken as the -105 it means.
std::optional<std::int64_t> Units(const SplitDecimal& d, int decimals);

// A field of two decimals (hours, volts) in hundredths.
std::optional<std::int64_t> ParseFixed2(std::string_view text);

// The decimal places of a volume column: what its rows show. Only a column whose every
// remainder is a negative single digit leaves it open; then the other column's count is the
// likelier one (both counters are usually set alike), else the meter's usual two.
int ColumnDecimals(const std::vector<SplitDecimal>& cells, int otherColumn);

}  // namespace kamt
