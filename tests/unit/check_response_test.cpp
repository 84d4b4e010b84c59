#include <gtest/gtest.h>

#include <array>

#include "fake_window.h"
#include "hex.h"
#include "link/check_response.h"

namespace kamt {
namespace {

using test::Hex;

struct ExceptionCase {
  std::uint8_t code;
  const char* message;
};

void PrintTo(const ExceptionCase& c, std::ostream* os) { *os << "code " << int{c.code}; }

class CheckResponseException : public ::testing::TestWithParam<ExceptionCase> {};

TEST_P(CheckResponseException, ShowsTheCodesMessageAndRejects) {
  test::FakeWindow window;
  const std::vector<std::uint8_t> pdu = {0x84, GetParam().code};
  std::array<std::uint8_t, 4> area{1, 2, 3, 4};
  EXPECT_EQ(CheckResponse(pdu, 2, area, window), 1);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], GetParam().message);
  EXPECT_EQ(area, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CheckResponseException,
    ::testing::Values(ExceptionCase{1, "Функция не поддерживается!"}, ExceptionCase{2, "Недопустимый адрес данных!"},
                      ExceptionCase{3, "Ошибка в данных!"}, ExceptionCase{4, "Ошибка устройства!"},
                      ExceptionCase{6, "Устройство не готово!"}, ExceptionCase{0, "Ошибка: 0х00"},
                      ExceptionCase{5, "Ошибка: 0х05"}, ExceptionCase{7, "Ошибка: 0х07"},
                      ExceptionCase{0x8B, "Ошибка: 0х8B"}, ExceptionCase{0xFF, "Ошибка: 0хFF"}));

TEST(CheckResponse, HexFormUsesTheCyrillicLetter) {
  // "х" is U+0445, two bytes in UTF-8; a Latin x would be one.
  EXPECT_EQ(ExceptionMessage(5), "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0: 0\xD1\x85" "05");
}

TEST(CheckResponse, ReadAnswerCopiesItsRegistersInOrder) {
  test::FakeWindow window;
  const auto pdu = Hex("03 04 11 22 33 44");
  std::array<std::uint8_t, 4> area{};
  EXPECT_EQ(CheckResponse(pdu, 6, area, window), 0);
  EXPECT_EQ(area, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
  EXPECT_TRUE(window.messages.empty());
}

TEST(CheckResponse, FunctionCodeIsNotMatchedWithTheRequest) {
  test::FakeWindow window;
  std::array<std::uint8_t, 2> area{};
  // A 0x03 answer where 0x04 was asked for is taken all the same.
  EXPECT_EQ(CheckResponse(Hex("03 02 AB CD"), 4, area, window), 0);
  EXPECT_EQ(area[0], 0xAB);
}

TEST(CheckResponse, ReadAnswerShorterThanTheAreaIsRefusedAndChangesNothing) {
  test::FakeWindow window;
  std::array<std::uint8_t, 96> area{};
  area.fill(0x5A);
  auto pdu = Hex("04 5E");  // byte count 94
  pdu.resize(2 + 94, 0x11);
  EXPECT_EQ(CheckResponse(pdu, static_cast<int>(pdu.size()), area, window), 1);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Неправильная длина ответа!"});
  EXPECT_EQ(area[0], 0x5A);
}

TEST(CheckResponse, ByteCountIsBoundedByTheBytesReceived) {
  test::FakeWindow window;
  std::array<std::uint8_t, 96> area{};
  // Claims 96 bytes, but only 50 came: refused rather than copied from stale buffer bytes.
  std::vector<std::uint8_t> buffer(256, 0x77);
  buffer[0] = 0x04;
  buffer[1] = 96;
  EXPECT_EQ(CheckResponse(buffer, 52, area, window), 1);
  EXPECT_EQ(area[0], 0);
}

TEST(CheckResponse, ByteCountBeyondTheAreaCopiesOnlyTheArea) {
  test::FakeWindow window;
  std::vector<std::uint8_t> buffer(256, 0x33);
  buffer[0] = 0x03;
  buffer[1] = 0xFF;
  std::array<std::uint8_t, 16> area{};
  EXPECT_EQ(CheckResponse(buffer, 255, area, window), 0);
  EXPECT_EQ(area[15], 0x33);
}

TEST(CheckResponse, WriteAnswerIsAcceptedWhateverItEchoes) {
  test::FakeWindow window;
  std::array<std::uint8_t, 0> area{};
  EXPECT_EQ(CheckResponse(Hex("10 FF FF 00 00"), 5, area, window), 0);
  EXPECT_TRUE(window.messages.empty());
}

TEST(CheckResponse, ArchiveAnswerNeedsFortyThreeBytes) {
  for (int function : {0x46, 0x47, 0x48}) {
    test::FakeWindow window;
    std::vector<std::uint8_t> pdu(43);
    pdu[0] = static_cast<std::uint8_t>(function);
    for (std::size_t i = 3; i < 43; ++i) pdu[i] = static_cast<std::uint8_t>(i);
    std::array<std::uint8_t, 40> area{};
    EXPECT_EQ(CheckResponse(pdu, 42, area, window), 1);
    EXPECT_EQ(window.messages, std::vector<std::string>{"Неправильная длина ответа!"});
    EXPECT_EQ(area[0], 0);
    EXPECT_EQ(CheckResponse(pdu, 43, area, window), 0);
    EXPECT_EQ(area[0], 3);
    EXPECT_EQ(area[39], 42);
  }
}

TEST(CheckResponse, UnknownFunctionIsRefused) {
  test::FakeWindow window;
  std::array<std::uint8_t, 4> area{};
  EXPECT_EQ(CheckResponse(Hex("05 00 01 FF 00"), 5, area, window), 1);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Неизвестный тип функции в ответе!"});
}

TEST(CheckResponse, AnswerWithoutAPduIsRefused) {
  // Two bytes FF FF pass the CRC test of an empty frame; what is left is no answer at all.
  test::FakeWindow window;
  std::array<std::uint8_t, 4> area{};
  const auto buffer = Hex("84 02");
  EXPECT_EQ(CheckResponse(buffer, -1, area, window), 1);
  EXPECT_EQ(CheckResponse(buffer, 1, area, window), 1);  // exception without its code
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Неправильная длина ответа!", "Неправильная длина ответа!"}));
}

}  // namespace
}  // namespace kamt
