#include <gtest/gtest.h>

#include <array>
#include <string>

#include "hex.h"
#include "link/crc16.h"

namespace kamt {
namespace {

using test::Hex;

TEST(Crc16, CurrentDataRequestGetsItsKnownCrcLowByteFirst) {
  auto frame = Hex("01 04 10 00 00 30 00 00");
  Crc16Append(frame, 6);
  EXPECT_EQ(test::ToHex(frame), "01 04 10 00 00 30 F4 DE");
  EXPECT_EQ(Crc16Check(frame, 8), 0);
}

TEST(Crc16, CheckValueOfTheNineDigitsIsTheStandardOne) {
  const std::string digits = "123456789";
  std::array<std::uint8_t, 11> frame{};
  std::copy(digits.begin(), digits.end(), frame.begin());
  Crc16Append(frame, 9);
  // CRC-16/MODBUS of "123456789" is 0x4B37, carried low byte first.
  EXPECT_EQ(frame[9], 0x37);
  EXPECT_EQ(frame[10], 0x4B);
  EXPECT_EQ(Crc16Check(frame, 9), 0x374B);
}

TEST(Crc16, EverySingleBitErrorIsDetected) {
  auto frame = Hex("01 04 10 00 00 30 F4 DE");
  for (std::size_t byte = 0; byte < frame.size(); ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      auto broken = frame;
      broken[byte] ^= static_cast<std::uint8_t>(1 << bit);
      EXPECT_NE(Crc16Check(broken, 8), 0) << "byte " << byte << " bit " << bit;
    }
  }
}

TEST(Crc16, ExceptionAnswerChecksClean) {
  auto frame = Hex("01 84 02 00 00");
  Crc16Append(frame, 3);
  EXPECT_EQ(Crc16Check(frame, 5), 0);
}

}  // namespace
}  // namespace kamt
