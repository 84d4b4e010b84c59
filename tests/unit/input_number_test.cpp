#include <gtest/gtest.h>
#include <limits>

#include "text/input_number.h"

namespace kamt {
namespace {

struct IntegerCase {
  const char* text;
  std::optional<std::int32_t> value;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, ReadsASigned32BitDecimal) { EXPECT_EQ(ParseInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseIntegerTest,
    ::testing::Values(IntegerCase{"1234", 1234}, IntegerCase{"-1", -1}, IntegerCase{"+7", 7}, IntegerCase{" 42\t", 42},
                      IntegerCase{"007", 7}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                      // Beyond 32 bits: no number, never wrapped into one.
                      IntegerCase{"2147483648", std::nullopt}, IntegerCase{"-2147483649", std::nullopt},
                      IntegerCase{"99999999999999999999", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{"   ", std::nullopt}, IntegerCase{"12ab", std::nullopt},
                      IntegerCase{"1 2", std::nullopt}, IntegerCase{"+-5", std::nullopt},
                      IntegerCase{"+", std::nullopt}, IntegerCase{"0x10", std::nullopt},
                      IntegerCase{"- 5", std::nullopt}));

struct NumberCase {
  const char* text;
  const char* separator;
  std::optional<float> value;  // exactly the nearest single
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.text << "\" with '" << c.separator << "'"; }

class ParseNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTest, ReadsASingle) {
  EXPECT_EQ(ParseNumber(GetParam().text, GetParam().separator), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseNumberTest,
    ::testing::Values(
        NumberCase{"2,5", ",", 2.5f}, NumberCase{"2.5", ",", 2.5f},  // a point is taken under a comma locale
        NumberCase{"2.5", ".", 2.5f}, NumberCase{"2,5", ".", std::nullopt},  // a comma may group thousands there
        NumberCase{"2٫5", "٫", 2.5f}, NumberCase{"2.5", "٫", 2.5f},  // a separator of several bytes is taken whole
        NumberCase{"0,300000011920929", ",", 0.3f}, NumberCase{"+1,5", ",", 1.5f}, NumberCase{" 100 ", ",", 100.0f},
        NumberCase{",5", ",", 0.5f}, NumberCase{"5,", ",", 5.0f}, NumberCase{"1,5E-5", ",", 1.5e-5f},
        NumberCase{"2e+3", ",", 2000.0f}, NumberCase{"3.4028234e38", ".", std::numeric_limits<float>::max()},
        NumberCase{"1e-50", ".", 0.0f}, NumberCase{"1e39", ".", std::nullopt}, NumberCase{"", ",", std::nullopt},
        NumberCase{",", ",", std::nullopt}, NumberCase{"1,2,3", ",", std::nullopt},
        NumberCase{"1.2,3", ",", std::nullopt}, NumberCase{"1e", ",", std::nullopt},
        NumberCase{"e5", ",", std::nullopt}, NumberCase{"NAN", ",", std::nullopt}, NumberCase{"INF", ",", std::nullopt},
        NumberCase{"1 000", ",", std::nullopt}, NumberCase{"0x10", ",", std::nullopt}));

}  // namespace
}  // namespace kamt
