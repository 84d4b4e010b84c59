#include "text/input_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kamt {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// [sign] digits [. digits] [e [sign] digits], with at least one digit before the exponent.
bool IsDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t intStart = i;
  i = SkipDigits(s, i);
  std::size_t mantissaDigits = i - intStart;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fracStart = ++i;
    i = SkipDigits(s, i);
    mantissaDigits += i - fracStart;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t expStart = i;
    i = SkipDigits(s, i);
    if (i == expStart) return false;
  }
  return i == s.size();
}

// The locale's separator becomes a point, so that one grammar serves both.
std::string WithPoint(std::string_view text, std::string_view separator) {
  std::string s(text);
  if (!separator.empty() && separator != ".") {
    const auto at = s.find(separator);
    if (at != std::string::npos) s.replace(at, separator.size(), ".");
  }
  return s;
}

// Whether a number beyond even double's range is huge (true) or tiny: the power of ten of its
// first significant digit decides, and far from the limits an estimate is exact enough.
bool IsHuge(std::string_view s) {
  const auto e = s.find_first_of("eE");
  const std::string_view mantissa = s.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = s.substr(e + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    for (char c : digits) exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
    if (negative) exponent = -exponent;
  }
  const auto point = std::min(mantissa.find('.'), mantissa.size());
  const auto first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const long long position = first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point);
  return exponent + position > 0;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  std::string_view s = Trimmed(text);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
    if (s.empty() || !IsDigit(s.front())) return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 10);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseIntegerIn(std::string_view text, std::int32_t low, std::int32_t high) {
  const auto value = ParseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

std::optional<float> ParseNumber(std::string_view text, std::string_view localeSeparator) {
  std::string s = WithPoint(Trimmed(text), localeSeparator);
  if (!IsDecimalNumber(s)) return std::nullopt;
  if (s.front() == '+') s.erase(0, 1);
  const char* first = s.data();
  const char* last = s.data() + s.size();
  float value = 0;
  const auto single = std::from_chars(first, last, value);
  if (single.ec == std::errc()) return value;
  double wide = 0;
  const auto twice = std::from_chars(first, last, wide);
  if (twice.ec == std::errc()) {
    if (std::fabs(wide) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(wide);  // below single precision's range: a subnormal or 0
  }
  if (IsHuge(s)) return std::nullopt;
  return s.front() == '-' ? -0.0f : 0.0f;
}

}  // namespace kamt
