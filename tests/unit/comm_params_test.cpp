#include <gtest/gtest.h>

#include <tuple>

#include "hex.h"
#include "holding_answers.h"
#include "meter/comm_params_commands.h"
#include "meter/comm_params_view.h"

namespace kamt {
namespace {

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

TEST_F(CommParamsViewTest, ShowsEachValueAndWritesItBack) {
  for (const auto& [control, text] :
       {std::pair{"Edit3", "5"}, {"ComboBox2", "9600"}, {"ComboBox13", "15 мс"}, {"ComboBox4", "Нечет"},
        {"ComboBox3", "8"}, {"ComboBox5", "2"}, {"Edit2", "502"}, {"Edit1", "192.168.0.10"}}) {
    EXPECT_EQ(window.Text(control), text) << control;
  }
  EXPECT_EQ(Parsed(), ToHex(kRegisters));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(CommParamsViewTest, ChoicesBeyondTheirListsSelectNothingAndBlockTheWrite) {
  auto bytes = kRegisters;
  bytes[3] = 6;  // bit rate
  bytes[2] = 7;  // timeout
  bytes[7] = 1;  // data bits: the list has only "8"
  Show(bytes);
  EXPECT_EQ(window.ItemIndex("ComboBox2"), -1);
  EXPECT_EQ(window.Text("ComboBox2"), "");
  EXPECT_EQ(window.ItemIndex("ComboBox13"), -1);
  EXPECT_EQ(window.ItemIndex("ComboBox3"), -1);
  EXPECT_EQ(Parsed(), "refused");
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода скорости обмена"});
}

struct ParseCase {
  const char* name;
  const char* control;
  const char* text;     // for an edit; ignored for a combo box, whose selection is cleared
  const char* outcome;  // the message, or the hex of the bytes sent
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCommParamsCase : public CommParamsViewTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParseCommParamsCase, AcceptsOrNamesTheControl) {
  const std::string control = GetParam().control;
  if (control.starts_with("Edit")) {
    window.SetText(control, GetParam().text);
  } else {
    window.SetItemIndex(control, -1);
  }
  const std::string outcome = Parsed();
  if (outcome == "refused") {
    EXPECT_EQ(window.messages, std::vector<std::string>{GetParam().outcome});
  } else {
    EXPECT_EQ(outcome, GetParam().outcome);
    EXPECT_TRUE(window.messages.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommParamsCase,
    ::testing::Values(
        ParseCase{"Net0", "Edit3", "0", "00 00 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
        ParseCase{"Net255", "Edit3", "255", "00 FF 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
        ParseCase{"Net256", "Edit3", "256", "Ошибка ввода сетевого номера"},
        ParseCase{"Net65536IsSentAs0", "Edit3", "65536", "00 00 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
        ParseCase{"NetText", "Edit3", "x", "Ошибка ввода сетевого номера"},
        ParseCase{"NoBaud", "ComboBox2", "", "Ошибка ввода скорости обмена"},
        ParseCase{"NoDataBits", "ComboBox3", "", "Ошибка ввода числа бит данных"},
        ParseCase{"NoParity", "ComboBox4", "", "Ошибка ввода бита четности"},
        ParseCase{"NoStopBits", "ComboBox5", "", "Ошибка ввода числа стоп-бит"},
        ParseCase{"Port70000IsItsLow16Bits", "Edit2", "70000", "00 05 02 03 00 01 00 00 00 01 11 70 A8 C0 0A 00"},
        ParseCase{"PortText", "Edit2", "", "Ошибка ввода номера порта"},
        ParseCase{"Ip256", "Edit1", "192.168.0.256", "Ошибка ввода ip-адреса"},
        ParseCase{"IpOctal", "Edit1", "192.168.000.010", "00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 08 00"},
        ParseCase{"NoTimeout", "ComboBox13", "", "Ошибка ввода таймаута"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(CommParamsViewTest, ChecksInTheirOrder) {
  window.SetItemIndex("ComboBox13", -1);
  window.SetText("Edit1", "x");
  window.SetText("Edit2", "x");
  window.SetItemIndex("ComboBox5", -1);
  EXPECT_EQ(Parsed(), "refused");
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода числа стоп-бит"});
}

class CommCommandTest : public ::testing::Test {
 protected:
  void Read() {
    rig.port.ReplyWith(test::ReadAnswer(kRegisters));
    ASSERT_TRUE(Button5Click(rig.session));
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
};

TEST_F(CommCommandTest, ReadAndWriteOverTheSerialLine) {
  Read();
  EXPECT_EQ(ToHex(rig.port.written.at(0)), ToHex(test::WithCrc(Hex("01 03 00 00 00 08"))));
  EXPECT_EQ(window.Text("Edit1"), "192.168.0.10");
  rig.port.ReplyWith(test::WriteAnswer(0, 8));
  EXPECT_TRUE(Button6Click(rig.session));
  ASSERT_EQ(rig.port.written.size(), 2u);
  EXPECT_EQ(ToHex(rig.port.written[1]), ToHex(test::WithCrc(Hex("01 10 00 00 00 08 10 " + ToHex(kRegisters)))));
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Чтение параметров коммуникации", "panel1 Параметры коммуникации считаны",
                                      "panel1 Запись параметров коммуникации", "panel1 Запись выполнена"}));
  // Neither command locks the other groups.
  EXPECT_TRUE(window.Entries("GroupBox").empty());
}

TEST_F(CommCommandTest, OverTcpTheWriteSetsNoProgressText) {
  rig.UseTcp();
  rig.socket.responders.push_back(test::TcpAnswer(test::PduOf(test::ReadAnswer(kRegisters))));
  ASSERT_TRUE(Button5Click(rig.session));
  EXPECT_EQ(ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 06 FF 03 00 00 00 08");
  window.log.clear();
  rig.socket.responders.push_back(test::TcpAnswer(Hex("10 00 00 00 08")));
  ASSERT_TRUE(Button6Click(rig.session));
  EXPECT_EQ(ToHex(rig.socket.sent.at(1)), "02 00 00 00 00 17 FF 10 00 00 00 08 10 " + ToHex(kRegisters));
  EXPECT_EQ(window.Entries("panel1"), std::vector<std::string>{"panel1 Запись выполнена"});
}

TEST_F(CommCommandTest, FailuresLeaveTheControlsAndNameTheirCommand) {
  Read();
  window.SetText("Edit3", "9");
  auto bad = test::ReadAnswer(kRegisters);
  bad[4] ^= 0x40;
  rig.port.ReplyWith(bad);
  EXPECT_FALSE(Button5Click(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка CRC!"});
  EXPECT_EQ(window.StatusText(1), "Ошибка чтения");
  EXPECT_EQ(window.Text("Edit3"), "9");
  EXPECT_EQ(rig.session.CommParams.netNumber, 5);
  rig.port.ReplyWith(test::WithCrc(Hex("01 90 04")));
  EXPECT_FALSE(Button6Click(rig.session));
  EXPECT_EQ(window.messages.back(), "Ошибка устройства!");
  EXPECT_EQ(window.StatusText(1), "Ошибка записи");
}

TEST_F(CommCommandTest, NeitherRunsWhileAnotherCommandWaits) {
  rig.port.ReplyWith(test::ReadAnswer(kRegisters));
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) {
      EXPECT_FALSE(Button6Click(rig.session));
      EXPECT_FALSE(Button5Click(rig.session));
    }
  };
  EXPECT_TRUE(Button5Click(rig.session));
  EXPECT_EQ(rig.port.written.size(), 1u);
  EXPECT_GT(calls, 0);
}

}  // namespace
}  // namespace kamt
