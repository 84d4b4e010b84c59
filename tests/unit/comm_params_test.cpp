#include <gtest/gtest.h>

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

std::array<std::uint8_t, kCommParamsSize> Area(const std::vector<std::uint8_t>& bytes) {
  return test::AreaOf<kCommParamsSize>(bytes);
}

TEST(CommParamsCodec, TwoChoicesShareARegisterAndTheAddressIsSwappedInPairs) {
  const CommParamsRecord p = DecodeCommParams(Area(kRegisters));
  EXPECT_EQ(p.netNumber, 5);
  EXPECT_EQ(p.timeoutIndex, 2);
  EXPECT_EQ(p.baudIndex, 3);
  EXPECT_EQ(p.parityIndex, 1);
  EXPECT_EQ(p.dataBitsIndex, 0);
  EXPECT_EQ(p.stopBitsIndex, 1);
  EXPECT_EQ(p.port, 502);
  EXPECT_EQ(p.ip, (std::array<std::uint8_t, 4>{192, 168, 0, 10}));
  const auto back = EncodeCommParams(p);
  EXPECT_EQ(ToHex({back.begin(), back.end()}), ToHex(kRegisters));
}

TEST(CommParamsCodec, ChoicesSharingARegisterKeepTheirLow8Bits) {
  CommParamsRecord p;
  p.timeoutIndex = 0x1234;
  p.baudIndex = 0x0105;
  p.ip = {1, 2, 3, 4};
  const auto bytes = EncodeCommParams(p);
  EXPECT_EQ(ToHex({bytes.begin() + 2, bytes.begin() + 4}), "34 05");
  EXPECT_EQ(ToHex({bytes.begin() + 12, bytes.end()}), "02 01 04 03");
}

class CommParamsViewTest : public ::testing::Test {
 protected:
  void Show(const std::vector<std::uint8_t>& bytes) { ShowCommParams(DecodeCommParams(Area(bytes)), window); }
  std::string Parsed() {
    if (!ParseCommParams(window, params)) return "refused";
    const auto bytes = EncodeCommParams(params);
    return ToHex({bytes.begin(), bytes.end()});
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
  CommParamsRecord params;
};

TEST_F(CommParamsViewTest, ShowsEachValueAndWritesItBack) {
  Show(kRegisters);
  EXPECT_EQ(window.Text("Edit3"), "5");
  EXPECT_EQ(window.Text("ComboBox2"), "9600");
  EXPECT_EQ(window.Text("ComboBox13"), "15 мс");
  EXPECT_EQ(window.Text("ComboBox4"), "Нечет");
  EXPECT_EQ(window.Text("ComboBox3"), "8");
  EXPECT_EQ(window.Text("ComboBox5"), "2");
  EXPECT_EQ(window.Text("Edit2"), "502");
  EXPECT_EQ(window.Text("Edit1"), "192.168.0.10");
  EXPECT_EQ(Parsed(), ToHex(kRegisters));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(CommParamsViewTest, ChoicesBeyondTheirListsSelectNothingAndBlockTheWrite) {
  Show(kRegisters);
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
  const char* text;        // for an edit; ignored for a combo box, whose selection is cleared
  const char* outcome;     // the message, or the hex of the bytes sent
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCommParamsCase : public CommParamsViewTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParseCommParamsCase, AcceptsOrNamesTheControl) {
  Show(kRegisters);
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
        ParseCase{"NetMinus1", "Edit3", "-1", "Ошибка ввода сетевого номера"},
        ParseCase{"Net65536IsSentAs0", "Edit3", "65536", "00 00 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
        ParseCase{"NetText", "Edit3", "x", "Ошибка ввода сетевого номера"},
        ParseCase{"NetBeyond32Bits", "Edit3", "4294967296", "Ошибка ввода сетевого номера"},
        ParseCase{"NoBaud", "ComboBox2", "", "Ошибка ввода скорости обмена"},
        ParseCase{"NoDataBits", "ComboBox3", "", "Ошибка ввода числа бит данных"},
        ParseCase{"NoParity", "ComboBox4", "", "Ошибка ввода бита четности"},
        ParseCase{"NoStopBits", "ComboBox5", "", "Ошибка ввода числа стоп-бит"},
        ParseCase{"Port70000IsItsLow16Bits", "Edit2", "70000", "00 05 02 03 00 01 00 00 00 01 11 70 A8 C0 0A 00"},
        ParseCase{"PortText", "Edit2", "", "Ошибка ввода номера порта"},
        ParseCase{"IpThreeNumbers", "Edit1", "192.168.0", "Ошибка ввода ip-адреса"},
        ParseCase{"Ip256", "Edit1", "192.168.0.256", "Ошибка ввода ip-адреса"},
        ParseCase{"IpOctal", "Edit1", "192.168.000.010", "00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 08 00"},
        ParseCase{"IpFiveNumbers", "Edit1", "1.2.3.4.5", "00 05 02 03 00 01 00 00 00 01 01 F6 02 01 04 03"},
        ParseCase{"Ip19Characters", "Edit1", "192.168.0.10       ", "00 05 02 03 00 01 00 00 00 01 01 F6 A8 C0 0A 00"},
        ParseCase{"Ip20Characters", "Edit1", "192.168.0.10        ", "Ошибка ввода ip-адреса"},
        ParseCase{"NoTimeout", "ComboBox13", "", "Ошибка ввода таймаута"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(CommParamsViewTest, ChecksInTheirOrder) {
  Show(kRegisters);
  window.SetItemIndex("ComboBox13", -1);
  window.SetText("Edit1", "x");
  window.SetText("Edit2", "x");
  window.SetItemIndex("ComboBox5", -1);
  EXPECT_EQ(Parsed(), "refused");
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода числа стоп-бит"});
}

class CommCommandTest : public ::testing::Test {
 protected:
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
};

TEST_F(CommCommandTest, ReadAndWriteOverTheSerialLine) {
  rig.port.ReplyWith(test::ReadAnswer(kRegisters));
  EXPECT_TRUE(Button5Click(rig.session));
  EXPECT_EQ(ToHex(rig.port.written.at(0)), ToHex(test::WithCrc(Hex("01 03 00 00 00 08"))));
  EXPECT_EQ(window.Text("Edit1"), "192.168.0.10");
  rig.port.ReplyWith(test::WriteAnswer(0, 8));
  EXPECT_TRUE(Button6Click(rig.session));
  ASSERT_EQ(rig.port.written.size(), 2u);
  EXPECT_EQ(rig.port.written[1].size(), 25u);
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

TEST_F(CommCommandTest, FailedReadLeavesTheControls) {
  rig.port.ReplyWith(test::ReadAnswer(kRegisters));
  ASSERT_TRUE(Button5Click(rig.session));
  window.SetText("Edit3", "9");
  auto bad = test::ReadAnswer(kRegisters);
  bad[4] ^= 0x40;
  rig.port.ReplyWith(bad);
  EXPECT_FALSE(Button5Click(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка CRC!"});
  EXPECT_EQ(window.StatusText(1), "Ошибка чтения");
  EXPECT_EQ(window.Text("Edit3"), "9");
  EXPECT_EQ(rig.session.CommParams.netNumber, 5);
}

TEST_F(CommCommandTest, ExceptionToTheWrite) {
  rig.port.ReplyWith(test::ReadAnswer(kRegisters));
  ASSERT_TRUE(Button5Click(rig.session));
  rig.port.ReplyWith(test::WithCrc(Hex("01 90 04")));
  EXPECT_FALSE(Button6Click(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка устройства!"});
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
