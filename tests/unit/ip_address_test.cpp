#include <gtest/gtest.h>

#include "setup/ip_address.h"

namespace kamt {
namespace {

struct IpCase {
  const char* text;
  std::optional<std::array<std::uint8_t, 4>> bytes;
};

void PrintTo(const IpCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseIpAddressTest : public ::testing::TestWithParam<IpCase> {};

TEST_P(ParseIpAddressTest, ReadsFourNumbersAsScanfPercentIDoes) {
  EXPECT_EQ(ParseIpAddress(GetParam().text), GetParam().bytes);
}

using Bytes = std::array<std::uint8_t, 4>;

INSTANTIATE_TEST_SUITE_P(
    Accepted, ParseIpAddressTest,
    ::testing::Values(IpCase{"192.168.0.10", Bytes{192, 168, 0, 10}}, IpCase{"192 168 0 10", Bytes{192, 168, 0, 10}},
                      IpCase{"192.168.0.10.7", Bytes{192, 168, 0, 10}}, IpCase{"0x0A.0.0.1", Bytes{10, 0, 0, 1}},
                      IpCase{"192.168.08.1", Bytes{192, 168, 0, 8}}, IpCase{"010.000.000.001", Bytes{8, 0, 0, 1}},
                      IpCase{"192.168.000.010", Bytes{192, 168, 0, 8}}, IpCase{" 1 . 2 .3. 4 junk", Bytes{1, 2, 3, 4}},
                      IpCase{"+1.-0.0XfF.0377", Bytes{1, 0, 255, 255}}, IpCase{"1.2.3.4.5", Bytes{1, 2, 3, 4}}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseIpAddressTest,
    ::testing::Values(IpCase{"192.168.0", std::nullopt}, IpCase{"192.168.0.256", std::nullopt},
                      IpCase{"192.168.0.-1", std::nullopt}, IpCase{"1.2.3.4             ", std::nullopt},
                      IpCase{"", std::nullopt}, IpCase{"a.b.c.d", std::nullopt}, IpCase{"1.2.3.0x", std::nullopt},
                      IpCase{"1.2.3.4294967297", std::nullopt}, IpCase{"1.2.3.-", std::nullopt}));

}  // namespace
}  // namespace kamt
