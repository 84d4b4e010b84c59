#include <gtest/gtest.h>

#include <array>

#include "fake_window.h"
#include "hex.h"
#include "link/check_response.h"

namespace kamt {
namespace {

using test::Hex;
using Texts = std::vector<std::string>;
constexpr const char* kBadLength = "Неправильная длина ответа!";

class CheckResponseTest : public ::testing::Test {
 protected:
  test::FakeWindow window;
};

TEST_F(CheckResponseTest, ExceptionShowsTheCodesMessageAndChangesNothing) {
  // The hexadecimal form is written "0х" with a Cyrillic х, as the meter's manual has it.
  const std::pair<std::uint8_t, const char*> cases[] = {
      {1, "Функция не поддерживается!"}, {6, "Устройство не готово!"}, {0, "Ошибка: 0х00"}, {5, "Ошибка: 0х05"},
      {0xFF, "Ошибка: 0хFF"}};
  for (const auto& [code, message] : cases) {
    std::array<std::uint8_t, 4> area{1, 2, 3, 4};
    window.messages.clear();
    EXPECT_EQ(CheckResponse(std::vector<std::uint8_t>{0x84, code}, 2, area, window), 1);
    EXPECT_EQ(window.messages, Texts{message});
    EXPECT_EQ(area, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  }
}

// A write's echo is accepted whatever it says; an unknown function, or an answer too short to
// hold a PDU (FF FF passes the CRC test of an empty frame), is refused.
TEST_F(CheckResponseTest, AnswersWithoutDataAreJudgedByTheirFunction) {
  const struct { const char* pdu; int length, result; const char* message; } cases[] = {
      {"10 FF FF 00 00", 5, 0, nullptr}, {"05 00 01 FF 00", 5, 1, "Неизвестный тип функции в ответе!"},
      {"84 02", -1, 1, kBadLength}, {"84 02", 1, 1, kBadLength}};  // the last: an exception without its code
  for (const auto& c : cases) {
    std::array<std::uint8_t, 0> area{};
    window.messages.clear();
    EXPECT_EQ(CheckResponse(Hex(c.pdu), c.length, area, window), c.result) << c.pdu << "/" << c.length;
    EXPECT_EQ(window.messages, c.message ? Texts{c.message} : Texts{}) << c.pdu << "/" << c.length;
  }
}

TEST_F(CheckResponseTest, ReadAnswerCopiesItsRegistersInOrder) {
  std::array<std::uint8_t, 4> area{};
  EXPECT_EQ(CheckResponse(Hex("03 04 11 22 33 44"), 6, area, window), 0);
  EXPECT_EQ(area, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
  EXPECT_TRUE(window.messages.empty());
}

// The copy is bounded by the area, by the byte count and by the bytes that came: a count
// short of the area, or longer than what came, is refused rather than copied from stale bytes.
TEST_F(CheckResponseTest, ReadAnswerCopiesOnlyWhatCameAndFitsTheArea) {
  const struct { std::uint8_t count; int received, result; std::size_t areaSize; } cases[] = {
      {94, 96, 1, 96}, {96, 52, 1, 96}, {0xFF, 255, 0, 16}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> buffer(256, 0x33);
    buffer[0] = 0x04;
    buffer[1] = c.count;
    std::vector<std::uint8_t> area(c.areaSize, 0x5A);
    window.messages.clear();
    EXPECT_EQ(CheckResponse(buffer, c.received, area, window), c.result) << int{c.count};
    EXPECT_EQ(area.back(), c.result == 0 ? 0x33 : 0x5A) << int{c.count};
    EXPECT_EQ(window.messages, c.result == 0 ? Texts{} : Texts{kBadLength}) << int{c.count};
  }
}

TEST_F(CheckResponseTest, ArchiveAnswerNeedsFortyThreeBytes) {
  for (int function : {0x46, 0x47, 0x48}) {
    std::vector<std::uint8_t> pdu(43);
    pdu[0] = static_cast<std::uint8_t>(function);
    for (std::size_t i = 3; i < 43; ++i) pdu[i] = static_cast<std::uint8_t>(i);
    std::array<std::uint8_t, 40> area{};
    window.messages.clear();
    EXPECT_EQ(CheckResponse(pdu, 42, area, window), 1);
    EXPECT_EQ(window.messages, Texts{kBadLength});
    EXPECT_EQ(area[0], 0);
    EXPECT_EQ(CheckResponse(pdu, 43, area, window), 0);
    EXPECT_EQ(area[0], 3);
    EXPECT_EQ(area[39], 42);
  }
}

}  // namespace
}  // namespace kamt
