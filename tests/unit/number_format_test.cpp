#include <gtest/gtest.h>

#include <limits>

#include "meter/number_format.h"

namespace kamt {
namespace {

struct FixedCase {
  double value;
  int precision;
  int decimals;
  const char* text;
};

void PrintTo(const FixedCase& c, std::ostream* os) { *os << c.value << " -> " << c.text; }

class FormatFixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedTest, RoundsOnceHalfAwayFromZero) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals, ","), c.text) << c.value;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixedTest,
    ::testing::Values(
        FixedCase{static_cast<float>(12.345), 10, 2, "12,35"},  // 12.3450002670... as a float
        FixedCase{static_cast<float>(2.675), 10, 2, "2,67"}, FixedCase{0.125, 10, 2, "0,13"},
        FixedCase{-2.5, 10, 0, "-3"}, FixedCase{-0.001, 10, 2, "0,00"}, FixedCase{99.999, 5, 2, "100,00"},
        FixedCase{123456789.126, 10, 2, "123456789,10"}, FixedCase{kNan, 10, 2, "NAN"}, FixedCase{kInf, 10, 2, "INF"},
        FixedCase{-kInf, 10, 2, "-INF"},
        // Wider than the precision: exponent form.
        FixedCase{12345678901.0, 10, 2, "1,23456789E10"}, FixedCase{123456.0, 5, 2, "1,2346E5"},
        FixedCase{-5000.0, 3, 0, "-5E3"}));

TEST(FormatFixed, SeparatorIsTheOneGiven) {
  EXPECT_EQ(FormatFixed(1.5, 10, 2, "."), "1.50");
  EXPECT_EQ(FormatFixed(1.5, 10, 2, "٫"), "1٫50");
}

struct GeneralCase {
  double value;
  const char* text;
};

void PrintTo(const GeneralCase& c, std::ostream* os) { *os << c.value << " -> " << c.text; }

class FormatGeneralTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FormatGeneralTest, ShowsFifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(FormatGeneral(GetParam().value, 15, ","), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatGeneralTest,
    ::testing::Values(GeneralCase{static_cast<float>(0.3), "0,300000011920929"}, GeneralCase{0, "0"},
                      GeneralCase{-1.25, "-1,25"}, GeneralCase{100, "100"}, GeneralCase{0.0001, "0,0001"},
                      GeneralCase{0.00001, "1E-5"}, GeneralCase{1.5e-7, "1,5E-7"},
                      GeneralCase{123456789012345.0, "123456789012345"}, GeneralCase{1e16, "1E16"},
                      GeneralCase{std::numeric_limits<float>::max(), "3,40282346638529E38"}));

}  // namespace
}  // namespace kamt
