#include <gtest/gtest.h>

#include <array>

#include "fake_window.h"
#include "hex.h"
#include "link/check_response.h"

namespace kamt {
namespace {

using test::Hex;

class CheckResponseTest : public ::testing::Test {
 protected:
  test::FakeWindow window;
};

TEST_F(CheckResponseTest, ExceptionShowsTheCodesMessageAndChangesNothing) {
  // The hexadecimal form is written "0х" with a Cyrillic х, as the meter's manual has it.
  const std::pair<std::uint8_t, const char*> cases[] = {
      {1, "Функция не поддерживается!"}, {2, "Недопустимый адрес данных!"}, {3, "Ошибка в данных!"},
      {4, "Ошибка устройства!"},         {6, "Устройство не готово!"},      {0, "Ошибка: 0х00"},
      {5, "Ошибка: 0х05"},               {7, "Ошибка: 0х07"},               {0xFF, "Ошибка: 0хFF"}};
  for (const auto& [code, message] : cases) {
    std::array<std::uint8_t, 4> area{1, 2, 3, 4};
    window.messages.clear();
    EXPECT_EQ(CheckResponse(std::vector<std::uint8_t>{0x84, code}, 2, area, window), 1);
    EXPECT_EQ(window.messages, std::vector<std::string>{message});
    EXPECT_EQ(area, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  }
}

TEST_F(CheckResponseTest, ReadAnswerCopiesItsRegistersInOrder) {
  std::array<std::uint8_t, 4> area{};
  EXPECT_EQ(CheckResponse(Hex("03 04 11 22 33 44"), 6, area, window), 0);
  EXPECT_EQ(area, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(CheckResponseTest, ReadAnswerShorterThanTheAreaIsRefusedAndChangesNothing) {
  std::array<std::uint8_t, 96> area{};
  area.fill(0x5A);
  auto pdu = Hex("04 5E");  // byte count 94
  pdu.resize(2 + 94, 0x11);
  EXPECT_EQ(CheckResponse(pdu, static_cast<int>(pdu.size()), area, window), 1);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Неправильная длина ответа!"});
  EXPECT_EQ(area[0], 0x5A);
}

TEST_F(CheckResponseTest, ByteCountIsBoundedByTheBytesReceived) {
  std::array<std::uint8_t, 96> area{};
  // Claims 96 bytes, but only 50 came: refused rather than copied from stale buffer bytes.
  std::vector<std::uint8_t> buffer(256, 0x77);
  buffer[0] = 0x04;
  buffer[1] = 96;
  EXPECT_EQ(CheckResponse(buffer, 52, area, window), 1);
  EXPECT_EQ(area[0], 0);
}

TEST_F(CheckResponseTest, ByteCountBeyondTheAreaCopiesOnlyTheArea) {
  std::vector<std::uint8_t> buffer(256, 0x33);
  buffer[0] = 0x03;
  buffer[1] = 0xFF;
  std::array<std::uint8_t, 16> area{};
  EXPECT_EQ(CheckResponse(buffer, 255, area, window), 0);
  EXPECT_EQ(area[15], 0x33);
}

TEST_F(CheckResponseTest, WriteAnswerIsAcceptedWhateverItEchoes) {
  std::array<std::uint8_t, 0> area{};
  EXPECT_EQ(CheckResponse(Hex("10 FF FF 00 00"), 5, area, window), 0);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(CheckResponseTest, ArchiveAnswerNeedsFortyThreeBytes) {
  for (int function : {0x46, 0x47, 0x48}) {
    std::vector<std::uint8_t> pdu(43);
    pdu[0] = static_cast<std::uint8_t>(function);
    for (std::size_t i = 3; i < 43; ++i) pdu[i] = static_cast<std::uint8_t>(i);
    std::array<std::uint8_t, 40> area{};
    window.messages.clear();
    EXPECT_EQ(CheckResponse(pdu, 42, area, window), 1);
    EXPECT_EQ(window.messages, std::vector<std::string>{"Неправильная длина ответа!"});
    EXPECT_EQ(area[0], 0);
    EXPECT_EQ(CheckResponse(pdu, 43, area, window), 0);
    EXPECT_EQ(area[0], 3);
    EXPECT_EQ(area[39], 42);
  }
}

TEST_F(CheckResponseTest, UnknownFunctionIsRefused) {
  std::array<std::uint8_t, 4> area{};
  EXPECT_EQ(CheckResponse(Hex("05 00 01 FF 00"), 5, area, window), 1);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Неизвестный тип функции в ответе!"});
}

TEST_F(CheckResponseTest, AnswerWithoutAPduIsRefused) {
  // Two bytes FF FF pass the CRC test of an empty frame; what is left is no answer at all.
  std::array<std::uint8_t, 4> area{};
  const auto buffer = Hex("84 02");
  EXPECT_EQ(CheckResponse(buffer, -1, area, window), 1);
  EXPECT_EQ(CheckResponse(buffer, 1, area, window), 1);  // exception without its code
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Неправильная длина ответа!", "Неправильная длина ответа!"}));
}

}  // namespace
}  // namespace kamt
