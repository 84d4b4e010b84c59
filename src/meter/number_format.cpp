#include "meter/number_format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace kamt {
namespace {

// |value| = 0.d1 d2 d3 ... x 10^exponent, digits exact (a binary number has a finite decimal
// expansion), so that rounding decides on the true value rather than on a printed approximation.
struct Decimal {
  std::string digits;  // no leading zeros; empty for zero
  int exponent = 0;    // number of digits before the decimal point
};

Decimal ExactDecimal(double magnitude) {
  Decimal d;
  if (magnitude == 0) return d;
  char text[1100];
  std::snprintf(text, sizeof text, "%.1070e", magnitude);  // a double has at most 767 significant digits
  std::string s(text);
  const auto e = s.find('e');
  d.exponent = std::stoi(s.substr(e + 1)) + 1;
  for (std::size_t i = 0; i < e; ++i) {
    if (s[i] >= '0' && s[i] <= '9') d.digits += s[i];
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Keeps `keep` digits, rounding half away from zero on the exact remainder.
void RoundTo(Decimal& d, int keep) {
  if (d.digits.empty()) return;
  if (keep < 0) {
    d = {};
    return;
  }
  if (static_cast<std::size_t>(keep) >= d.digits.size()) return;
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') d.digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    } else {
      ++d.digits[static_cast<std::size_t>(i)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = {};
}

char DigitAt(const Decimal& d, int position) {  // position 0 is the first digit
  return position >= 0 && static_cast<std::size_t>(position) < d.digits.size()
             ? d.digits[static_cast<std::size_t>(position)]
             : '0';
}

std::string Scientific(const Decimal& d, bool negative, std::string_view separator) {
  std::string s = negative ? "-" : "";
  s += d.digits.substr(0, 1);
  if (d.digits.size() > 1) {
    s += separator;
    s += d.digits.substr(1);
  }
  return s + "E" + std::to_string(d.exponent - 1);
}

std::string IntegerPart(const Decimal& d) {
  if (d.exponent <= 0) return "0";
  std::string s;
  for (int i = 0; i < d.exponent; ++i) s += DigitAt(d, i);
  return s;
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatFixed(double value, int precision, int decimals, std::string_view separator) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal d = ExactDecimal(std::fabs(value));
  RoundTo(d, std::min(precision, d.exponent + decimals));
  const bool negative = value < 0 && !d.digits.empty();
  if (d.exponent > precision) return Scientific(d, negative, separator);
  std::string s = negative ? "-" : "";
  s += IntegerPart(d);
  if (decimals > 0) {
    s += separator;
    for (int i = 0; i < decimals; ++i) s += DigitAt(d, d.exponent + i);
  }
  return s;
}

std::string FormatGeneral(double value, int precision, std::string_view separator) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal d = ExactDecimal(std::fabs(value));
  RoundTo(d, precision);
  if (d.digits.empty()) return "0";
  const bool negative = value < 0;
  if (d.exponent > precision || d.exponent < -3) return Scientific(d, negative, separator);
  std::string s = negative ? "-" : "";
  s += IntegerPart(d);
  const int fraction = static_cast<int>(d.digits.size()) - d.exponent;
  if (fraction > 0) {
    s += separator;
    for (int i = 0; i < fraction; ++i) s += DigitAt(d, d.exponent + i);
  }
  return s;
}

}  // namespace kamt
