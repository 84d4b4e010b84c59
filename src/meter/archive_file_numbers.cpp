#include "meter/archive_file_numbers.h"

#include <limits>

#include "text/text_fields.h"

namespace kamt {

std::optional<SplitDecimal> ParseSplitDecimal(std::string_view text) {
  SplitDecimal d;
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  if (!ParseWhole(whole, d.whole)) return std::nullopt;
  d.negativeWhole = whole.front() == '-';
  if (point == std::string_view::npos) return d;
  d.hasPoint = true;
  const std::string_view fraction = text.substr(point + 1);
  d.fractionDigits = fraction.size() - (fraction.starts_with('-') ? 1 : 0);
  if (d.fractionDigits == 0 || d.fractionDigits > 2 || !ParseWhole(fraction, d.fraction)) return std::nullopt;
  return d;
}

bool FitsDecimals(const SplitDecimal& d, int decimals) {
  if (decimals == 0) return !d.hasPoint;
  if (!d.hasPoint) return false;
  if (d.fraction < 0) return d.fractionDigits <= static_cast<std::size_t>(decimals) && d.whole <= 0;
  return d.fractionDigits == static_cast<std::size_t>(decimals);
}

std::optional<std::int64_t> Units(const SplitDecimal& d, int decimals) {
  const std::int64_t scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  // A file's number can be anything: one whose units overflow 64 bits is not a counter's.
  if (d.whole > kMax / scale || d.whole < kMin / scale) return std::nullopt;
  const std::int64_t units = d.whole * scale;
  const std::int64_t fraction = d.negativeWhole && d.fraction > 0 ? -d.fraction : d.fraction;
  if ((fraction > 0 && units > kMax - fraction) || (fraction < 0 && units < kMin - fraction)) return std::nullopt;
  return units + fraction;
}

std::optional<std::int64_t> ParseFixed2(std::string_view text) {
  const auto d = ParseSplitDecimal(Trim(text));
  if (!d || !FitsDecimals(*d, 2)) return std::nullopt;
  return Units(*d, 2);
}

int ColumnDecimals(const std::vector<SplitDecimal>& cells, int otherColumn) {
  for (const SplitDecimal& d : cells) {
    if (!d.hasPoint) return 0;
    if (d.fraction >= 0 || d.fractionDigits == 2) return static_cast<int>(d.fractionDigits);
  }
  return otherColumn > 0 ? otherColumn : 2;
}

}  // namespace kamt
