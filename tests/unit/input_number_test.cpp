// Numbers as the windows take them in (edits, IP addresses) and as they show them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "meter/number_format.h"
#include "setup/ip_address.h"
#include "text/input_number.h"

namespace kamt {
namespace {

constexpr auto kNone = std::nullopt;

// A signed 32-bit decimal, never wrapped into one.
TEST(ParseInteger, ASigned32BitDecimalOrNothing) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"1234", 1234}, {"-1", -1}, {"+7", 7}, {" 42\t", 42}, {"007", 7}, {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()}, {"2147483648", kNone}, {"-2147483649", kNone},
      {"99999999999999999999", kNone}, {"", kNone}, {"   ", kNone}, {"12ab", kNone}, {"1 2", kNone}, {"+-5", kNone},
      {"+", kNone}, {"0x10", kNone}, {"- 5", kNone}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseInteger(text), value) << '"' << text << '"';
  // Within a register's range, or nothing: never cut to its 16 bits.
  const std::pair<const char*, std::optional<std::int32_t>> register16[] = {
      {"65535", 65535}, {"0", 0}, {"70000", kNone}, {"65536", kNone}, {"-1", kNone}};
  for (const auto& [text, value] : register16) EXPECT_EQ(ParseIntegerIn(text, 0, 65535), value) << text;
}

// The nearest single; a point is taken under a comma locale, a separator of several bytes whole.
TEST(ParseNumber, ASingleWithTheLocaleSeparatorOrAPoint) {
  const std::tuple<const char*, const char*, std::optional<float>> cases[] = {
      {"2,5", ",", 2.5f}, {"2.5", ",", 2.5f}, {"2.5", ".", 2.5f}, {"2,5", ".", kNone}, {"2٫5", "٫", 2.5f},
      {"2.5", "٫", 2.5f}, {"0,300000011920929", ",", 0.3f}, {"+1,5", ",", 1.5f}, {" 100 ", ",", 100.0f},
      {",5", ",", 0.5f}, {"5,", ",", 5.0f}, {"1,5E-5", ",", 1.5e-5f}, {"2e+3", ",", 2000.0f},
      {"3.4028234e38", ".", std::numeric_limits<float>::max()}, {"1e-50", ".", 0.0f}, {"1e39", ".", kNone},
      {"", ",", kNone}, {",", ",", kNone}, {"1,2,3", ",", kNone}, {"1.2,3", ",", kNone}, {"1e", ",", kNone},
      {"e5", ",", kNone}, {"NAN", ",", kNone}, {"INF", ",", kNone}, {"1 000", ",", kNone}, {"0x10", ",", kNone}};
  for (const auto& [text, separator, value] : cases) EXPECT_EQ(ParseNumber(text, separator), value) << text;
}

// Four numbers as scanf("%i") reads them: octal after a 0, hexadecimal after 0x, junk after the fourth.
TEST(ParseIpAddress, FourNumbersAsScanfPercentIReadsThem) {
  using Ip = std::array<std::uint8_t, 4>;
  const std::pair<const char*, std::optional<Ip>> cases[] = {
      {"192.168.0.10", Ip{192, 168, 0, 10}}, {"192 168 0 10", Ip{192, 168, 0, 10}}, {"0x0A.0.0.1", Ip{10, 0, 0, 1}},
      {"192.168.08.1", Ip{192, 168, 0, 8}}, {"010.000.000.001", Ip{8, 0, 0, 1}}, {"1.2.3.4.5", Ip{1, 2, 3, 4}},
      {" 1 . 2 .3. 4 junk", Ip{1, 2, 3, 4}}, {"+1.-0.0XfF.0377", Ip{1, 0, 255, 255}}, {"192.168.0", kNone},
      {"192.168.0.256", kNone}, {"192.168.0.-1", kNone}, {"1.2.3.4             ", kNone}, {"", kNone},
      {"a.b.c.d", kNone}, {"1.2.3.0x", kNone}, {"1.2.3.4294967297", kNone}, {"1.2.3.-", kNone}};
  for (const auto& [text, bytes] : cases) EXPECT_EQ(ParseIpAddress(text), bytes) << '"' << text << '"';
}

// Rounded once, half away from zero; wider than the precision, in exponent form.
TEST(FormatFixed, RoundsOnceAndFallsBackToAnExponent) {
  const double kInf = std::numeric_limits<double>::infinity();
  const std::tuple<double, int, int, const char*> cases[] = {
      {static_cast<float>(12.345), 10, 2, "12,35"}, {static_cast<float>(2.675), 10, 2, "2,67"}, {0.125, 10, 2, "0,13"},
      {-2.5, 10, 0, "-3"}, {-0.001, 10, 2, "0,00"}, {99.999, 5, 2, "100,00"}, {123456789.126, 10, 2, "123456789,10"},
      {std::nan(""), 10, 2, "NAN"}, {kInf, 10, 2, "INF"}, {-kInf, 10, 2, "-INF"}, {12345678901.0, 10, 2, "1,23456789E10"},
      {123456.0, 5, 2, "1,2346E5"}, {-5000.0, 3, 0, "-5E3"}};
  for (const auto& [value, precision, decimals, text] : cases) {
    EXPECT_EQ(FormatFixed(value, precision, decimals, ","), text) << value;
  }
  EXPECT_EQ(FormatFixed(1.5, 10, 2, "٫"), "1٫50");
}

}  // namespace
}  // namespace kamt
