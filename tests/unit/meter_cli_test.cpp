#include <gtest/gtest.h>

#include <tuple>

#include "cli_harness.h"
#include "hex.h"
#include "holding_answers.h"
#include "meter/combo_items.h"
#include "meter/registers.h"

namespace kamt {
namespace {

using test::Hex;
using test::ToHex;

class MeterCliTest : public test::CliHarness {
 protected:
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--serial", "/dev/ttyX"});
    return CliHarness::Run(args);
  }
  std::string LastPdu() const { return ToHex(test::PduOf(port.written.back())); }

  // Factor 2.5, maximum flow 100, divider 8, two channels, diameter "100", serial 1234, positive.
  static std::vector<std::uint8_t> ConfigBlock() {
    std::vector<std::uint8_t> b(68);
    RegisterWriter r(b);
    r.Float(7, 2.5f);
    r.Float(9, 100.0f);
    for (const auto& [reg, value] : {std::pair{20, 8}, {22, 2}, {24, 4}, {25, 1234}, {33, 1}}) {
      r.U16(static_cast<std::size_t>(reg), static_cast<std::uint16_t>(value));
    }
    return b;
  }
};

// Each field by its caption; a write changes only the named fields, and a failure names the
// exchange that failed (no write after a failed read).
TEST_F(MeterCliTest, ConfigReadAndWrite) {
  port.ReplyWith(test::ReadAnswer(ConfigBlock()));
  ASSERT_EQ(Run({"config", "read"}), kExitOk) << err.str();
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 19u) << out.str();
  EXPECT_EQ(std::tuple(lines[0], lines[2], lines[12], lines[18]),
            std::tuple("Зав. номер: 1234", "Коэф. преобразования: 2,5", "Зондирующий импульс: 18 В",
                       "Коррекция частоты: положительная"));
  port.ReplyWith(test::ReadAnswer(ConfigBlock()));
  port.ReplyWith(test::WriteAnswer(0x000F, 27));
  ASSERT_EQ(Run({"config", "write", "factor=3.5", "max-flow=1,5", "divider=2", "display-off=Через 60 минут",
                 "sensitivity=#6", "probe-pulse=1"}),
            kExitOk)
      << err.str();
  std::vector<std::uint8_t> block = ConfigBlock();
  RegisterWriter r(block);
  r.Float(7, 3.5f);
  r.Float(9, 1.5f);
  for (const auto& [reg, value] : {std::pair{20, 2}, {23, 5}, {26, 1}, {27, 6}}) {
    r.U16(static_cast<std::size_t>(reg), static_cast<std::uint16_t>(value));
  }
  EXPECT_EQ(LastPdu(), "10 00 0F 00 1B 36 " + ToHex({block.begin() + 14, block.end()}));
  EXPECT_EQ(out.str(), "Запись выполнена\n");
  port.written.clear();
  port.ReplySilence();
  EXPECT_EQ(Run({"config", "write", "factor=1"}), kExitFailed);
  EXPECT_EQ(err.str(), "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
  EXPECT_EQ(port.written.size(), 1u);
  port.ReplyWith(test::ReadAnswer(ConfigBlock()));
  port.ReplyWith(test::WithCrc(Hex("01 90 02")));
  EXPECT_EQ(Run({"config", "write", "serial=77"}), kExitFailed);
  EXPECT_EQ(err.str(), "Недопустимый адрес данных!\nОшибка записи\nПринято 5 байт\n");
}

// The clock's date, time, day and difference; a write sends the date with its day of week.
TEST_F(MeterCliTest, ClockAndCommunication) {
  port.ReplyWith(test::ReadAnswer(Hex("00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5")));
  ASSERT_EQ(Run({"clock", "read"}), kExitOk) << err.str();
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::tuple(lines[0], lines[1]), std::tuple("09.03.2021 12:05:30", "Вторник"));
  EXPECT_TRUE(lines[2].starts_with("Расхождение с часами компьютера: ")) << lines[2];
  port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_EQ(Run({"clock", "write", "9.3.2021", "12:05:30"}), kExitOk) << err.str();
  EXPECT_EQ(LastPdu(), "10 00 08 00 07 0E 00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5");
  EXPECT_EQ(out.str(), "Запись выполнена\n");
  port.ReplyWith(test::ReadAnswer(Hex("00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00")));
  port.ReplyWith(test::WriteAnswer(0, 8));
  ASSERT_EQ(Run({"comm", "write", "address=7", "parity=Чет", "timeout=6", "ip=10.1.2.3", "baud=38400"}), kExitOk)
      << err.str();
  EXPECT_EQ(LastPdu(), "10 00 00 00 08 10 00 07 06 05 00 02 00 00 00 01 01 F6 01 0A 03 02");
}

TEST_F(MeterCliTest, UsageErrorsAreRefusedBeforeAnythingIsOpened) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {  // a part of the message
      {{"config", "change"}, "config takes read, save or write"},
      {{"config", "read", "x"}, "config read takes nothing more"},
      {{"config", "write"}, "serial, diameter, factor"},
      {{"config", "write", "factor"}, "is not NAME=VALUE"},
      {{"config", "write", "divider=1"}, "divider takes one of: 2..32"},
      {{"config", "write", "probe-pulse=18"}, "probe-pulse takes one of: 18 В | 35 В (or 0..1)"},
      {{"comm", "write", "parity=Even"}, "parity takes one of: Нет | Нечет | Чет | Маркер | Пробел"},
      {{"comm", "write", "factor=1"}, "unknown field factor; the fields are: address, baud,"},
      {{"comm", "dump"}, "comm takes read or write"},
      {{"clock", "write"}, "clock write takes"},
      {{"clock", "write", "01.01.1999 10:00:00"}, "real date"},
      {{"clock", "write", "01.01.2021 24:00:00"}, "real date"},
      {{"clock", "set"}, "clock takes read or write"}};
  for (const auto& [command, error] : cases) {
    EXPECT_EQ(Run(command), kExitUsage) << ::testing::PrintToString(command);
    EXPECT_NE(err.str().find(error), std::string::npos) << err.str();
  }
  EXPECT_TRUE(port.calls.empty());
}

// An item's text first, "#N" for a position, a bare number as a position only in a list of words.
TEST(ItemPosition, NamesAnItemWithoutAmbiguity) {
  const std::tuple<const char*, const char*, std::optional<int>> cases[] = {
      {"ComboBox1", "32", 30},          {"ComboBox1", "#2", 2},           {"ComboBox1", "0", std::nullopt},
      {"ComboBox1", "#31", std::nullopt}, {"ComboBox11", "", 17},         {"ComboBox11", "4", std::nullopt},
      {"ComboBox12", "4", 4},           {"ComboBox12", "Никогда", 0},     {"ComboBox12", "никогда", std::nullopt},
      {"ComboBox12", "-1", std::nullopt}, {"ComboBox4", "#x", std::nullopt}};
  for (const auto& [control, value, position] : cases) {
    EXPECT_EQ(ItemPosition(ComboItems(control), value), position) << control << '=' << value;
  }
}

}  // namespace
}  // namespace kamt
