#include <gtest/gtest.h>

#include "cli_harness.h"
#include "hex.h"
#include "holding_answers.h"
#include "meter/combo_items.h"
#include "meter/registers.h"

namespace kamt {
namespace {

using test::Hex;
using test::ToHex;

// kamt's config, clock and comm commands through the fakes, under a comma locale.
class MeterCliTest : public test::CliHarness {
 protected:
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--serial", "/dev/ttyX"});
    return CliHarness::Run(args);
  }
  // The request written last, without its address and CRC, as hex.
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

TEST_F(MeterCliTest, ConfigReadPrintsEachFieldByItsCaption) {
  port.ReplyWith(test::ReadAnswer(ConfigBlock()));
  ASSERT_EQ(Run({"config", "read"}), kExitOk) << err.str();
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 19u) << out.str();
  EXPECT_EQ(lines[0], "Зав. номер: 1234");
  EXPECT_EQ(lines[1], "Условный диаметр, мм: 100");
  EXPECT_EQ(lines[2], "Коэф. преобразования: 2,5");
  EXPECT_EQ(lines[8], "Коэффициент деления: 8");
  EXPECT_EQ(lines[12], "Зондирующий импульс: 18 В");
  EXPECT_EQ(lines[17], "Тип датчика: Отключен");
  EXPECT_EQ(lines[18], "Коррекция частоты: положительная");
  EXPECT_EQ(err.str(), "");
}

TEST_F(MeterCliTest, ConfigWriteChangesOnlyTheNamedFields) {
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
  r.U16(20, 2);
  r.U16(23, 5);
  r.U16(26, 1);
  r.U16(27, 6);
  EXPECT_EQ(LastPdu(), "10 00 0F 00 1B 36 " + ToHex({block.begin() + 14, block.end()}));
  EXPECT_EQ(out.str(), "Запись выполнена\n");
}

TEST_F(MeterCliTest, ConfigWriteFailuresNameTheExchangeThatFailed) {
  port.ReplySilence();
  EXPECT_EQ(Run({"config", "write", "factor=1"}), kExitFailed);
  EXPECT_EQ(err.str(), "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
  EXPECT_EQ(port.written.size(), 1u);  // no write after a failed read
  port.ReplyWith(test::ReadAnswer(ConfigBlock()));
  port.ReplyWith(test::WithCrc(Hex("01 90 02")));
  EXPECT_EQ(Run({"config", "write", "serial=77"}), kExitFailed);
  EXPECT_EQ(err.str(), "Недопустимый адрес данных!\nОшибка записи\nПринято 5 байт\n");
}

TEST_F(MeterCliTest, ClockReadPrintsDateTimeDayAndDifference) {
  port.ReplyWith(test::ReadAnswer(Hex("00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5")));
  ASSERT_EQ(Run({"clock", "read"}), kExitOk) << err.str();
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "09.03.2021 12:05:30");
  EXPECT_EQ(lines[1], "Вторник");
  EXPECT_TRUE(lines[2].starts_with("Расхождение с часами компьютера: ")) << lines[2];
}

TEST_F(MeterCliTest, ClockWriteSendsTheDateWithItsDayOfWeek) {
  port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_EQ(Run({"clock", "write", "29.12.2024 08:04:03"}), kExitOk) << err.str();
  EXPECT_EQ(LastPdu(), "10 00 08 00 07 0E 00 03 00 04 00 08 00 1D 00 00 00 0C 07 E8");
  EXPECT_EQ(out.str(), "Запись выполнена\n");
  port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_EQ(Run({"clock", "write", "9.3.2021", "12:05:30"}), kExitOk) << err.str();
  EXPECT_EQ(LastPdu(), "10 00 08 00 07 0E 00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5");
}

TEST_F(MeterCliTest, CommWriteChangesTheNamedFields) {
  port.ReplyWith(test::ReadAnswer(Hex("00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00")));
  port.ReplyWith(test::WriteAnswer(0, 8));
  ASSERT_EQ(Run({"comm", "write", "address=7", "parity=Чет", "timeout=6", "ip=10.1.2.3", "baud=38400"}), kExitOk)
      << err.str();
  EXPECT_EQ(LastPdu(), "10 00 00 00 08 10 00 07 06 05 00 02 00 00 00 01 01 F6 01 0A 03 02");
}

struct UsageCase {
  std::vector<std::string> command;
  const char* error;  // a part of the message
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.command); }

class MeterCliUsage : public MeterCliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(MeterCliUsage, IsRefusedBeforeAnythingIsOpened) {
  EXPECT_EQ(Run(GetParam().command), kExitUsage);
  EXPECT_NE(err.str().find(GetParam().error), std::string::npos) << err.str();
  EXPECT_TRUE(port.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeterCliUsage,
    ::testing::Values(
        UsageCase{{"config", "change"}, "config takes read, save or write"},
        UsageCase{{"config", "read", "x"}, "config read takes nothing more"},
        UsageCase{{"config", "write"}, "serial, diameter, factor"},
        UsageCase{{"config", "write", "factor"}, "is not NAME=VALUE"},
        UsageCase{{"config", "write", "divider=1"}, "divider takes one of: 2..32"},
        UsageCase{{"config", "write", "probe-pulse=18"}, "probe-pulse takes one of: 18 В | 35 В (or 0..1)"},
        UsageCase{{"config", "write", "display-off=#6"}, "display-off takes"},
        UsageCase{{"comm", "write", "parity=Even"}, "parity takes one of: Нет | Нечет | Чет | Маркер | Пробел"},
        UsageCase{{"comm", "write", "factor=1"}, "unknown field factor; the fields are: address, baud,"},
        UsageCase{{"comm", "dump"}, "comm takes read or write"},
        UsageCase{{"clock", "write"}, "clock write takes"},
        UsageCase{{"clock", "write", "01.01.1999 10:00:00"}, "real date"},
        UsageCase{{"clock", "write", "01.01.2021 24:00:00"}, "real date"},
        UsageCase{{"clock", "write", "01.01.2021 10:00"}, "real date"},
        UsageCase{{"clock", "set"}, "clock takes read or write"}));

TEST_F(MeterCliTest, HelpListsTheFieldsAndTheirItems) {
  EXPECT_EQ(RunKamt({"--help"}, devices, out, err), kExitOk);
  const std::string help = out.str();
  for (const char* text : {"config write:", "  max-flow", "Максимальный расход, м3/ч", "comm write:", "  ip",
                           "Через 30 минут", "DD.MM.YYYY HH:MM:SS", "--now", "#17"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

struct PositionCase {
  const char* control;
  const char* value;
  std::optional<int> position;
};

void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.control << '=' << c.value; }

class ItemPositionTest : public ::testing::TestWithParam<PositionCase> {};

// An item's text first, "#N" for a position, a bare number as a position only in a list of words.
TEST_P(ItemPositionTest, NamesAnItemWithoutAmbiguity) {
  EXPECT_EQ(ItemPosition(ComboItems(GetParam().control), GetParam().value), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemPositionTest,
    ::testing::Values(PositionCase{"ComboBox1", "32", 30}, PositionCase{"ComboBox1", "#2", 2},
                      PositionCase{"ComboBox1", "0", std::nullopt}, PositionCase{"ComboBox1", "#31", std::nullopt},
                      PositionCase{"ComboBox11", "", 17}, PositionCase{"ComboBox11", "4", std::nullopt},
                      PositionCase{"ComboBox12", "4", 4}, PositionCase{"ComboBox12", "Никогда", 0},
                      PositionCase{"ComboBox12", "никогда", std::nullopt}, PositionCase{"ComboBox12", "-1", std::nullopt},
                      PositionCase{"ComboBox13", "100 мс", 6}, PositionCase{"ComboBox4", "#x", std::nullopt}));

TEST(ComboItems, ListsHaveTheirLengths) {
  const std::pair<const char*, std::size_t> lengths[] = {
      {"ComboBox1", 31}, {"ComboBox6", 2}, {"ComboBox7", 11}, {"ComboBox8", 2},  {"ComboBox9", 7},
      {"ComboBox10", 4}, {"ComboBox11", 19}, {"ComboBox12", 6}, {"ComboBox14", 3}, {"ComboBox15", 2},
      {"DayOfWeek_ComboBox", 8}, {"ComboBox2", 6}, {"ComboBox3", 1}, {"ComboBox4", 5}, {"ComboBox5", 2},
      {"ComboBox13", 7}};
  for (const auto& [control, length] : lengths) EXPECT_EQ(ComboItems(control).size(), length) << control;
  EXPECT_TRUE(ComboItems("Edit1").empty());
}

}  // namespace
}  // namespace kamt
