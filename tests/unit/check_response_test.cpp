// The checks of an answer: its CRC, and its PDU against the request (hex in, verdict and
// copied bytes out).
#include <gtest/gtest.h>

#include "hex.h"
#include "link/check_response.h"
#include "link/crc16.h"

namespace kamt {
namespace {

using test::Hex;

// CRC-16/MODBUS, carried low byte first; a frame with its CRC checks to 0, a broken one never.
TEST(Crc16, KnownValuesLowByteFirstAndEverySingleBitErrorFound) {
  auto frame = Hex("01 04 10 00 00 30 00 00");
  Crc16Append(frame, 6);
  EXPECT_EQ(test::ToHex(frame), "01 04 10 00 00 30 F4 DE");
  auto digits = Hex("31 32 33 34 35 36 37 38 39 00 00");
  Crc16Append(digits, 9);
  EXPECT_EQ(test::ToHex(digits), "31 32 33 34 35 36 37 38 39 37 4B");  // the standard check value 0x4B37
  EXPECT_EQ(Crc16Check(frame, 8), 0);
  for (std::size_t bit = 0; bit < 8 * frame.size(); ++bit) {
    auto broken = frame;
    broken[bit / 8] ^= static_cast<std::uint8_t>(1 << bit % 8);
    EXPECT_NE(Crc16Check(broken, 8), 0) << bit;
  }
}

// An archive answer: function, two bytes nobody examines, the 40 record bytes 03..2A.
std::string ArchiveAnswer(const char* function, int recordBytes) {
  std::string hex = std::string(function) + " 00 07";
  for (int i = 0; i < recordBytes; ++i) hex += " " + std::to_string(10 + i % 90);
  return hex;
}

struct Case {
  const char* request;  // function code and data
  std::string answer;   // the answer PDU
  int length;           // the length handed over with it
  std::size_t area;
  const char* refusal;  // nullptr: accepted
};

TEST(CheckResponse, AnswersAreMatchedToTheirRequest) {
  const std::string archive = ArchiveAnswer("46", 40);
  const Case cases[] = {
      // Exceptions: the code's message, the hexadecimal form with a Cyrillic "х".
      {"04 10 00 00 30", "84 01", 2, 96, "Функция не поддерживается!"},
      {"04 10 00 00 30", "84 06", 2, 96, "Устройство не готово!"},
      {"04 10 00 00 30", "84 00", 2, 96, "Ошибка: 0х00"},
      {"03 00 08 00 07", "83 05", 2, 14, "Ошибка: 0х05"},
      {"10 00 00 00 08 10", "90 FF", 2, 0, "Ошибка: 0хFF"},
      {"04 10 00 00 30", "83 02", 2, 96, kNotTheAnswerText},  // another request's exception
      {"04 10 00 00 30", "84 02", 1, 96, kBadLengthText},     // an exception without its code
      {"04 10 00 00 30", "84 02", -1, 96, kBadLengthText},    // FF FF passes the CRC of nothing
      {"04 10 00 00 30", "05 00 01 FF 00", 5, 96, "Неизвестный тип функции в ответе!"},
      // Register reads: the function asked, twice the registers asked, all of them present.
      {"03 00 08 00 02", "03 04 11 22 33 44", 6, 4, nullptr},
      {"04 10 00 00 02", "03 04 11 22 33 44", 6, 4, kNotTheAnswerText},
      {"03 00 08 00 02", "03 06 11 22 33 44 55 66", 8, 4, kBadLengthText},
      {"03 00 08 00 02", "03 02 11 22", 4, 4, kBadLengthText},
      {"03 00 08 00 02", "03 04 11 22 33 44", 5, 4, kBadLengthText},
      // Writes: the echo of the start and the count sent.
      {"10 00 0F 00 1B 36", "10 00 0F 00 1B", 5, 0, nullptr},
      {"10 00 0F 00 1B 36", "10", 1, 0, kBadLengthText},
      {"10 00 0F 00 1B 36", "10 00 10 00 1B", 5, 0, kNotTheAnswerText},
      {"10 00 0F 00 1B 36", "10 00 0F 00 1C", 5, 0, kNotTheAnswerText},
      {"10 00 0F 00 1B 36", "03 02 00 00", 4, 0, kNotTheAnswerText},
      // Archives: the kind asked, 43 bytes at least.
      {"46 00 07", archive, 43, 40, nullptr},
      {"46 00 07", archive, 42, 40, kBadLengthText},
      {"46 00 07", ArchiveAnswer("47", 40), 43, 40, kNotTheAnswerText},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> request = Hex(c.request);
    const std::vector<std::uint8_t> answer = Hex(c.answer);
    std::vector<std::uint8_t> area(c.area, 0x5A);
    const Verdict v = CheckResponse({request[0], std::span(request).subspan(1), 0}, answer, c.length, area);
    SCOPED_TRACE(std::string(c.request) + " <- " + c.answer.substr(0, 20));
    EXPECT_EQ(v.accepted, c.refusal == nullptr);
    EXPECT_EQ(v.text, c.refusal ? c.refusal : "");
    // A refused answer changes nothing; an accepted one gives the bytes after its header.
    const std::size_t skip = answer[0] >= 0x46 ? 3 : 2;
    for (std::size_t i = 0; i < area.size(); ++i) {
      ASSERT_EQ(area[i], c.refusal ? 0x5A : answer[skip + i]) << i;
    }
  }
  EXPECT_FALSE(CheckAnswerAddress(1, 2));
  EXPECT_EQ(CheckAnswerAddress(1, 0).text, kOtherDeviceText);
  EXPECT_TRUE(CheckAnswerAddress(17, 17));
}

}  // namespace
}  // namespace kamt
