// A converter and a gateway in the settings file, the connection dialog and the TCP header.
#include <gtest/gtest.h>

#include "connection_fakes.h"
#include "hex.h"
#include "link/tcp_transact.h"
#include "setup/settings_file.h"
#include "temp_dir.h"
#include "test_rig.h"
#include "text/text_file.h"

namespace kamt {
namespace {

// A described program reads Type=1 with IP_Addr and Port: a valid Ethernet choice. The new
// keys follow the described ones of their section, and stay once there.
TEST(ConverterSettings, KeptAfterTheDescribedKeysOfEthernet) {
  test::TempDir dir;
  const auto path = dir.path / "Vedan_modbus.ini";
  LinkSettingsRecord s;
  s.Type = 1;
  s.IpAddr = "10.0.0.5";
  s.TcpPort = 4001;
  s.Framing = EthernetFraming::Rtu;
  s.UnitIdIsAddress = true;
  std::string message;
  ASSERT_TRUE(SaveSettings(s, path, message));
  const std::string head = "[Communication]\r\nType=1\r\nNetAddr=1\r\n[Ethernet]\r\nIP_Addr=10.0.0.5\r\nPort=4001\r\n";
  const std::string expected = head + "Framing=RTU\r\nUnitId=address\r\n[Serial]\r\n";
  EXPECT_EQ(ReadFileBytes(path)->substr(0, expected.size()), expected);
  LinkSettingsRecord back;
  LoadSettings(back, path);
  EXPECT_EQ(back.Framing, EthernetFraming::Rtu);
  EXPECT_TRUE(back.UnitIdIsAddress);
  back.Framing = EthernetFraming::Mbap;
  back.UnitIdIsAddress = false;
  ASSERT_TRUE(SaveSettings(back, path, message));
  EXPECT_NE(ReadFileBytes(path)->find("Port=4001\r\nFraming=MBAP\r\nUnitId=255\r\n"), std::string::npos);
}

TEST(ConverterSettings, UnitIdValues) {
  test::TempDir dir;
  const auto path = dir.path / "Vedan_modbus.ini";
  for (const auto& [text, id, isAddress] : {std::tuple{"17", 17, false}, {" Address ", 255, true}, {"300", 255, false},
                                            {"x", 255, false}, {"0x10", 16, false}}) {
    WriteFileAtomically(path, std::string("[Ethernet]\r\nUnitId=") + text + "\r\n");
    LinkSettingsRecord s;
    LoadSettings(s, path);
    EXPECT_EQ(std::pair(s.UnitId, s.UnitIdIsAddress), std::pair(id, isAddress)) << text;
  }
}

class ConverterDialogTest : public ::testing::Test {
 protected:
  ConverterDialogTest() { form.SetItemCount("RadioGroup1", 3); }
  test::TestRig rig;
  test::DialogForm form;
  test::ListedPorts ports;
  test::FakeModemDialog modem;
  ConnectionDialog dialog{form, rig.session.link, ports, modem};
};

// The third item is a network choice that also takes the address and the delay of the line.
TEST_F(ConverterDialogTest, ThirdItemStoresEthernetWithRtuFramingAddressAndDelay) {
  LinkSettingsRecord& s = rig.session.link.LinkSettings;
  s.Framing = EthernetFraming::Rtu;
  s.Type = 1;
  dialog.FormCreate();
  EXPECT_EQ(form.ItemIndex("RadioGroup1"), kConverterPosition);
  EXPECT_EQ(form.Entries("Edit4"), std::vector<std::string>{"Edit4 on"});
  EXPECT_FALSE(form.Visible("GroupBox1"));
  for (const auto& [edit, text] : {std::pair{"Edit1", "17"}, {"Edit2", "127.0.0.1"}, {"Edit3", "4001"}, {"Edit4", "0"}}) {
    form.SetText(edit, text);
  }
  EXPECT_EQ(dialog.Button1Click(), ModalResult::Ok);
  EXPECT_EQ(std::tuple(s.Type, s.NetAddr, s.TcpPort, s.Delay), std::tuple(1, 17, 4001, 0));
  EXPECT_TRUE(rig.session.link.IsRtuOverTcp());
  form.SetText("Edit1", "abc");
  EXPECT_EQ(dialog.Button1Click(), ModalResult::None);
  EXPECT_EQ(form.messages, std::vector<std::string>{"Ошибка ввода адреса прибора!"});
  // Back to Ethernet: Modbus TCP again, and the address is not read (the described rule).
  form.SetItemIndex("RadioGroup1", kEthernetPosition);
  EXPECT_EQ(dialog.Button1Click(), ModalResult::Ok);
  EXPECT_FALSE(rig.session.link.UsesSerialRules());
}

// A gateway routes by the unit identifier: the request carries the meter's address, and an
// answer must carry it too.
TEST(GatewayUnitId, IsTheAddressWhenAskedFor) {
  test::TestRig rig;
  rig.UseTcp();
  rig.session.link.LinkSettings.UnitIdIsAddress = true;
  rig.session.link.LinkSettings.NetAddr = 17;
  for (const std::uint8_t unit : std::initializer_list<std::uint8_t>{17, 0xFF}) {
    rig.socket.responders.push_back([unit](std::span<const std::uint8_t> sent) {
      return std::vector<test::FakeClientSocket::Segment>{{1, {sent[0], sent[1], 0, 0, 0, 4, unit, 0x04, 0x01, 0x00}}};
    });
    std::array<std::uint8_t, 256> answer{};
    int length = 0;
    const TcpResult r = TcpTransact(rig.session.link, test::Hex("04 10 00 00 30"), answer, length);
    EXPECT_EQ(rig.socket.sent.back()[6], 17);
    EXPECT_EQ(r.result, unit == 17 ? 0 : -1);
  }
}

}  // namespace
}  // namespace kamt
