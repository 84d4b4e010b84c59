#include <array>
#include <gtest/gtest.h>
#include <tuple>

#include "hex.h"
#include "holding_answers.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_commands.h"
#include "meter/meter_config_view.h"
#include "meter/registers.h"

namespace kamt {
namespace {

using namespace std::string_literals;
using test::Hex;
using test::ToHex;

using Block = std::array<std::uint8_t, kMeterConfigSize>;

// A plausible configuration: 5 December 2026 09:07:05, factor 2.5, two channels, positive
// correction, pressure sensor, serial number 1234.
Block TypicalBlock() {
  Block b{};
  RegisterWriter r(b);
  const std::uint16_t clock[] = {5, 7, 9, 5, 6, 12, 2026};
  for (std::size_t i = 0; i < 7; ++i) r.U16(i, clock[i]);
  const float singles[] = {2.5f, 100.0f, 0.5f, 50.0f, 5.0f, 0.25f};  // registers 7..18
  for (std::size_t i = 0; i < 6; ++i) r.Float(7 + 2 * i, singles[i]);
  // Capture cycles, divider, digits, channels, display off, diameter ("100"), serial, 35 V, 7 mV.
  const std::uint16_t words[] = {4, 8, 2, 2, 2, 4, 1234, 1, 1};
  for (std::size_t i = 0; i < 9; ++i) r.U16(19 + i, words[i]);
  r.Float(28, 10.0f);
  r.Float(30, 150.0f);
  r.U16(32, 1);  // pressure
  r.U16(33, 1);  // positive
  return b;
}

// Singles come high word first, the clock fields signed; the day of week is not part of the
// configuration, and a write is registers 7 to 33.
TEST(MeterConfigCodec, EachFieldFromItsRegisterAndEncodeIsRegisters7To33) {
  Block b = TypicalBlock();
  RegisterWriter(b).U16(4, 0xBEEF);
  RegisterWriter(b).U16(6, 0xFFFE);
  const MeterConfigRecord c = DecodeMeterConfig(b);
  EXPECT_EQ(std::tuple(c.Seconds, c.Minutes, c.Hours, c.Day, c.Month, c.Year), std::tuple(5, 7, 9, 5, 12, -2));
  EXPECT_EQ(std::tuple(c.ConversionFactor, c.MaxFlow, c.FreqCorrection, c.TransitionFreq, c.MinFreq,
                       c.ZeroOffsetVoltage, c.MaxPressure, c.MaxTemperature),
            std::tuple(2.5f, 100.0f, 0.5f, 50.0f, 5.0f, 0.25f, 10.0f, 150.0f));
  EXPECT_EQ(std::tuple(c.CaptureCycles, c.Divider, c.Digits, c.Channels, c.DisplayOff, c.Diameter, c.SerialNumber,
                       c.ProbePulse, c.Sensitivity, c.SensorType, c.CorrectionSign),
            std::tuple(4, 8, 2, 2, 2, 4, 1234, 1, 1, 1, 1));
  const auto encoded = EncodeMeterConfig(c);
  EXPECT_EQ(ToHex({encoded.begin(), encoded.end()}), ToHex({b.begin() + 14, b.end()}));
  EXPECT_EQ(ToHex({encoded.begin(), encoded.begin() + 4}), "40 20 00 00");  // 2.5
}

// A register value selects its combo box item, or nothing when the box has no item there (a
// selection left from before must not linger); one channel corrects negatively. Numbers show
// up to 15 digits with the locale's separator.
TEST(ShowMeterConfig, SelectsTheItemOrNoneAndShowsTheNumbers) {
  const std::tuple<std::size_t, std::uint16_t, const char*, int> cases[] = {  // register, value, box, position
      {24, 18, "ComboBox11", 18}, {24, 19, "ComboBox11", -1}, {20, 1, "ComboBox1", -1}, {20, 32, "ComboBox1", 30},
      {23, 4, "ComboBox12", 4},   {33, 0, "ComboBox15", 0},   {33, 2, "ComboBox15", -1}, {22, 1, "ComboBox15", 0}};
  test::MainWindowRig rig;
  for (const auto& [reg, value, control, index] : cases) {
    ShowMeterConfig(DecodeMeterConfig(TypicalBlock()), rig.window, ",");
    Block b = TypicalBlock();
    RegisterWriter(b).U16(reg, value);
    ShowMeterConfig(DecodeMeterConfig(b), rig.window, ",");
    EXPECT_EQ(rig.window.ItemIndex(control), index) << "register " << reg << " = " << value;
    EXPECT_TRUE(index >= 0 || rig.window.Text(control).empty()) << "register " << reg << " = " << value;
  }
  MeterConfigRecord c = DecodeMeterConfig(TypicalBlock());
  c.ConversionFactor = 0.3f;
  ShowMeterConfig(c, rig.window, ",");
  for (const auto& [control, text] : {std::pair{"Edit4", "1234"}, {"Edit5", "0,300000011920929"}, {"Edit6", "100"},
                                      {"Edit8", "0,5"}, {"Edit10", "0,25"}, {"Edit7", "10"}, {"Edit12", "150"}}) {
    EXPECT_EQ(rig.window.Text(control), text) << control;
  }
}

class ValidateConfigInputTest : public ::testing::Test {
 protected:
  ValidateConfigInputTest() { ShowMeterConfig(DecodeMeterConfig(TypicalBlock()), window, ","); }
  bool Validate() { return ValidateConfigInput(window, config, ","); }

  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
  MeterConfigRecord config;
};

// The controls are checked in their order: spoilt one after another from the last, each stops
// the check with its own message; the ones before keep the values they were given.
TEST_F(ValidateConfigInputTest, EachSpoiltControlStopsWithItsOwnMessage) {
  const std::pair<std::string_view, const char*> cases[] = {
      {"ComboBox15", "Ошибка ввода направления коррекции"}, {"ComboBox14", "Ошибка ввода типа датчика"},
      {"Edit12", "Ошибка ввода максимальной температуры"}, {"Edit7", "Ошибка ввода максимального давления"},
      {"ComboBox12", "Ошибка ввода параметров отключения дисплея"}, {"ComboBox9", "Ошибка ввода чувствительности"},
      {"ComboBox8", "Ошибка ввода вида зондирующего импульса"}, {"ComboBox7", "Ошибка ввода числа циклов захвата"},
      {"Edit11", "Ошибка ввода минимальной частоты"}, {"ComboBox6", "Ошибка ввода числа каналов"},
      {"ComboBox1", "Ошибка ввода коэффициента деления"}, {"Edit10", "Ошибка ввода смещения нуля"},
      {"Edit9", "Ошибка ввода переходной частоты"}, {"Edit8", "Ошибка ввода коррекции частоты"},
      {"ComboBox10", "Ошибка ввода числа разрядов"}, {"Edit6", "Ошибка ввода максимального расхода"},
      {"Edit5", "Ошибка ввода коэффициента преобразования"}, {"ComboBox11", "Ошибка ввода условного диаметра"},
      {"Edit4", "Ошибка ввода заводского номера"}};
  window.SetText("Edit4", "777");
  for (const auto& [control, message] : cases) {
    window.messages.clear();
    control.starts_with("Edit") ? window.SetText(control, control == "Edit4" ? "70000" : "x") : window.SetItemIndex(control, -1);
    EXPECT_FALSE(Validate()) << control;
    EXPECT_EQ(window.messages, std::vector<std::string>{message}) << control;
    EXPECT_TRUE(control == "Edit4" || config.SerialNumber == 777) << control;
  }
}

// What is shown validates back to what was read; lists give their position plus their first
// value, the serial number its register's whole range, a point is taken under a comma locale.
TEST_F(ValidateConfigInputTest, InputsBecomeTheRegistersValues) {
  ASSERT_TRUE(Validate());
  const Block read = TypicalBlock();
  const auto written = EncodeMeterConfig(config);
  EXPECT_EQ(ToHex({written.begin(), written.end()}), ToHex({read.begin() + 14, read.end()}));
  window.SetText("Edit4", "65535");       // the most the serial number's register holds
  window.SetItemIndex("ComboBox1", 0);    // "2"
  window.SetItemIndex("ComboBox6", 0);    // "1"
  window.SetItemIndex("ComboBox11", 17);  // the first empty item
  window.SetText("Edit5", "2.5");
  window.SetText("Edit8", "0,300000011920929");
  ASSERT_TRUE(Validate());
  EXPECT_EQ(std::tuple(config.SerialNumber, config.Divider, config.Channels, config.Diameter),
            std::tuple(65535, 2, 1, 17));
  EXPECT_EQ(std::tuple(config.ConversionFactor, config.FreqCorrection), std::tuple(2.5f, 0.3f));
}

class ConfigCommandTest : public ::testing::Test {
 protected:
  void Read(const Block& block) {
    rig.port.ReplyWith(test::ReadAnswer(block));
    ASSERT_TRUE(ReadConf_ButtonClick(rig.session));
    window.log.clear();
  }

  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
};

// The command groups are locked around the read, the configuration group is not; a command
// started meanwhile is refused, even a write of valid input. A failed read (a block short of
// the 34 registers is refused, not taken as zeros) keeps what was read and the report disabled.
TEST_F(ConfigCommandTest, ReadShowsKeepsAndEnablesTheReport) {
  rig.port.ReplyWith(test::ReadAnswer(TypicalBlock()));
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) { EXPECT_FALSE(WriteConf_ButtonClick(rig.session) || ReadConf_ButtonClick(rig.session)); }
  };
  EXPECT_TRUE(ReadConf_ButtonClick(rig.session));
  EXPECT_EQ(rig.port.written, std::vector<std::vector<std::uint8_t>>{test::WithCrc(Hex("01 03 00 08 00 22"))});
  EXPECT_EQ(std::tuple(rig.session.MeterConfig.SerialNumber, window.Text("ComboBox11")), std::tuple(1234, "100"s));
  EXPECT_EQ(window.Entries("panel1"), (std::vector<std::string>{"panel1 Чтение данных", "panel1 Данные считаны"}));
  EXPECT_EQ(window.Entries("Button11"), (std::vector<std::string>{"Button11 off", "Button11 on"}));
  EXPECT_EQ(std::tuple(window.log.front(), window.log.back()), std::tuple("GroupBox1 off"s, "GroupBox8 on"s));
  EXPECT_TRUE(window.Entries("GroupBox9").empty());

  Block other = TypicalBlock();
  RegisterWriter(other).U16(25, 99);
  rig.port.ReplyWith(test::ReadAnswer(std::span(other).first(66)));
  window.SetText("Edit5", "typed");
  EXPECT_FALSE(ReadConf_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Неправильная длина ответа!"});
  EXPECT_EQ(std::tuple(window.StatusText(1), window.Text("Edit5")), std::tuple("Ошибка чтения"s, "typed"s));
  EXPECT_FALSE(window.Enabled("Button11"));
  EXPECT_EQ(rig.session.MeterConfig.SerialNumber, 1234);
}

// Nothing goes out while the input is invalid. The write neither locks the commands nor
// touches the report button or the last read.
TEST_F(ConfigCommandTest, WriteSendsRegisters7To33AndNothingWhileInputIsInvalid) {
  Read(TypicalBlock());
  window.SetItemIndex("ComboBox11", -1);
  EXPECT_FALSE(WriteConf_ButtonClick(rig.session));
  EXPECT_EQ(window.log, std::vector<std::string>{"message Ошибка ввода условного диаметра"});
  window.SetItemIndex("ComboBox11", 4);
  window.SetText("Edit5", "3");
  rig.port.ReplyWith(test::WriteAnswer(0x000F, 27));
  EXPECT_TRUE(WriteConf_ButtonClick(rig.session));
  ASSERT_EQ(rig.port.written.size(), 2u);
  const auto& request = rig.port.written[1];
  ASSERT_EQ(request.size(), 63u);
  EXPECT_EQ(ToHex({request.begin(), request.begin() + 11}), "01 10 00 0F 00 1B 36 40 40 00 00");  // 3.0
  EXPECT_EQ(window.Entries("panel1"), (std::vector<std::string>{"panel1 Запись конфигурации", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty() && window.Entries("Button11").empty());
  EXPECT_EQ(std::tuple(rig.session.MeterConfig.ConversionFactor, rig.session.configToWrite.ConversionFactor),
            std::tuple(2.5f, 3.0f));
}

}  // namespace
}  // namespace kamt
