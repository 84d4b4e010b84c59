#pragma once

#include <charconv>
#include <string_view>
#include <vector>

namespace kamt {

// The fields of a tab-separated line, empty ones included.
std::vector<std::string_view> SplitTabs(std::string_view line);

// Without the blanks that pad a printed field ("%9Ld" and the like).
std::string_view Trim(std::string_view s);

// A whole number and nothing else: no sign but a minus, no blanks.
template <typename T>
bool ParseWhole(std::string_view s, T& value, int base = 10) {
  if (s.empty() || s.front() == '+') return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && end == s.data() + s.size();
}

// A printed real number ("%5.2f", "%3.0f"; "nan" and "inf" are what a sensor's bad reading
// prints) and nothing else.
bool ParseReal(std::string_view s, double& value);

}  // namespace kamt
