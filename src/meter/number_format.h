#pragma once

#include <string>
#include <string_view>

namespace kamt {

// Fixed-point text of a number as the window shows it: rounded once, half away from zero, to
// at most `precision` significant digits and exactly `decimals` decimals, with the given
// decimal separator. A number whose integer part needs more than `precision` digits comes out
// in scientific notation (FormatGeneral's form).
std::string FormatFixed(double value, int precision, int decimals, std::string_view separator);

// General notation: at most `precision` significant digits, no trailing zeros, scientific
// notation ("1,5E-5", "1E20") when the magnitude is below 0.0001 or the integer part needs more
// than `precision` digits.
std::string FormatGeneral(double value, int precision, std::string_view separator);

}  // namespace kamt
