#include <gtest/gtest.h>

#include <tuple>

#include "hex.h"
#include "holding_answers.h"
#include "meter/comm_params_commands.h"
#include "meter/comm_params_view.h"

namespace kamt {
namespace {

using namespace std::string_literals;
using test::Hex;
using test::ToHex;

// 0x0005, 0x0203, 0x0001, 0x0000, 0x0001, 0x01F6, 0xA8C0, 0x0A00.
const std::vector<std::uint8_t> kRegisters = Hex("00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00");

std::string Encoded(const CommParamsRecord& p) {
  const auto bytes = EncodeCommParams(p);
  return ToHex({bytes.begin(), bytes.end()});
}

TEST(CommParamsCodec, TwoChoicesShareARegisterAndTheAddressIsSwappedInPairs) {
  const CommParamsRecord p = DecodeCommParams(test::AreaOf<kCommParamsSize>(kRegisters));
  EXPECT_EQ(std::tuple(p.netNumber, p.timeoutIndex, p.baudIndex, p.parityIndex, p.dataBitsIndex, p.stopBitsIndex,
                       p.port),
            std::tuple(5, 2, 3, 1, 0, 1, 502));
  EXPECT_EQ(p.ip, (std::array<std::uint8_t, 4>{192, 168, 0, 10}));
  EXPECT_EQ(Encoded(p), ToHex(kRegisters));
  CommParamsRecord wide;  // choices sharing a register keep their low 8 bits
  wide.timeoutIndex = 0x1234;
  wide.baudIndex = 0x0105;
  EXPECT_EQ(Encoded(wide).substr(6, 5), "34 05");
}

class CommParamsViewTest : public ::testing::Test {
 protected:
  CommParamsViewTest() { Show(kRegisters); }
  void Show(const std::vector<std::uint8_t>& bytes) {
    ShowCommParams(DecodeCommParams(test::AreaOf<kCommParamsSize>(bytes)), window);
  }
  std::string Parsed() { return ParseCommParams(window, params) ? Encoded(params) : "refused"; }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
  CommParamsRecord params;
};

// Choices beyond their lists select nothing.
TEST_F(CommParamsViewTest, ShowsEachValueAndWritesItBack) {
  for (const auto& [control, text] :
       {std::pair{"Edit3", "5"}, {"ComboBox2", "9600"}, {"ComboBox13", "15 мс"}, {"ComboBox4", "Нечет"},
        {"ComboBox3", "8"}, {"ComboBox5", "2"}, {"Edit2", "502"}, {"Edit1", "192.168.0.10"}}) {
    EXPECT_EQ(window.Text(control), text) << control;
  }
  EXPECT_EQ(Parsed(), ToHex(kRegisters));
  EXPECT_TRUE(window.messages.empty());
  Show(Hex("00 05 07 06 00 01 00 01 00 01 01 F6 A8 C0 0A 00"));  // timeout 7, bit rate 6, data bits 1
  EXPECT_EQ(std::tuple(window.ItemIndex("ComboBox2"), window.ItemIndex("ComboBox13"), window.ItemIndex("ComboBox3"),
                       window.Text("ComboBox2")),
            std::tuple(-1, -1, -1, ""));
}

// One control changed: an edit to the text given, a combo box to no selection.
TEST_F(CommParamsViewTest, AcceptsOrNamesTheControl) {
  const std::tuple<const char*, const char*, const char*> cases[] = {  // control, text, message or bytes sent
      {"Edit3", "255", "00 FF 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
      {"Edit3", "256", "Ошибка ввода сетевого номера"},
      {"Edit3", "65537", "Ошибка ввода сетевого номера"},  {"Edit3", "0", "Ошибка ввода сетевого номера"},
      {"Edit3", "x", "Ошибка ввода сетевого номера"},
      {"ComboBox2", "", "Ошибка ввода скорости обмена"},
      {"ComboBox3", "", "Ошибка ввода числа бит данных"},
      {"ComboBox4", "", "Ошибка ввода бита четности"},
      {"ComboBox5", "", "Ошибка ввода числа стоп-бит"},
      {"Edit2", "70000", "Ошибка ввода номера порта"},     {"Edit2", "0", "Ошибка ввода номера порта"},
      {"Edit2", "", "Ошибка ввода номера порта"},
      {"Edit1", "192.168.0.256", "Ошибка ввода ip-адреса"},
      {"ComboBox13", "", "Ошибка ввода таймаута"}};
  for (const auto& [control, text, outcome] : cases) {
    Show(kRegisters);
    window.messages.clear();
    std::string_view(control).starts_with("Edit") ? window.SetText(control, text) : window.SetItemIndex(control, -1);
    const std::string parsed = Parsed();
    EXPECT_EQ(parsed == "refused" ? window.messages.at(0) : parsed, outcome) << control << '=' << text;
    EXPECT_EQ(window.messages.size(), parsed == "refused" ? 1u : 0u) << control << '=' << text;
  }
}

// Neither command locks the other groups, and no command starts while one waits, even a write
// of valid input. A failure leaves the controls and names its command.
TEST_F(CommParamsViewTest, ReadAndWriteOverTheSerialLine) {
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) { EXPECT_FALSE(Button6Click(rig.session) || Button5Click(rig.session)); }
  };
  rig.port.ReplyWith(test::ReadAnswer(kRegisters));
  rig.port.ReplyWith(test::WriteAnswer(0, 8));
  window.SetText("Edit1", "1.1.1.1");
  EXPECT_TRUE(Button5Click(rig.session) && Button6Click(rig.session));
  EXPECT_EQ(window.Text("Edit1"), "192.168.0.10");
  EXPECT_EQ(rig.port.written, (std::vector<std::vector<std::uint8_t>>{test::WithCrc(Hex("01 03 00 00 00 08")),
                                           test::WithCrc(Hex("01 10 00 00 00 08 10 " + ToHex(kRegisters)))}));
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Чтение параметров коммуникации", "panel1 Параметры коммуникации считаны",
                                      "panel1 Запись параметров коммуникации", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty());
  EXPECT_GT(calls, 0);

  window.SetText("Edit3", "9");
  auto bad = test::ReadAnswer(kRegisters);
  bad[4] ^= 0x40;
  rig.port.ReplyWith(bad);
  EXPECT_FALSE(Button5Click(rig.session));
  EXPECT_EQ(std::tuple(window.messages, window.StatusText(1), window.Text("Edit3")),
            std::tuple(std::vector<std::string>{"Ошибка CRC!"}, "Ошибка чтения", "9"));
  EXPECT_EQ(rig.session.CommParams.netNumber, 5);
  rig.port.ReplyWith(test::WithCrc(Hex("01 90 04")));
  EXPECT_FALSE(Button6Click(rig.session));
  EXPECT_EQ(std::tuple(window.messages.back(), window.StatusText(1)), std::tuple("Ошибка устройства!"s, "Ошибка записи"s));
}

}  // namespace
}  // namespace kamt
