#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <tuple>

#include "setup/ini_document.h"
#include "setup/phone_list.h"
#include "setup/settings_file.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/text_file.h"

namespace kamt {
namespace {

constexpr const char* kFreshFile =
    "[Communication]\r\nType=0\r\nNetAddr=1\r\n[Ethernet]\r\nIP_Addr=192.168.0.1\r\nPort=502\r\n"
    "[Serial]\r\nPort=0\r\nBaudrate=9600\r\nBits=4\r\nParity=2\r\nStopBits=0\r\nDelay=100\r\nModem=0\r\n";

class SettingsFileTest : public ::testing::Test {
 protected:
  std::filesystem::path Path() const { return dir.path / "Vedan_modbus.ini"; }
  void WriteRaw(const std::string& bytes) const { std::ofstream(Path(), std::ios::binary) << bytes; }
  std::string ReadRaw() const { return ReadFileBytes(Path()).value_or("<none>"); }
  LinkSettingsRecord Load() const {
    LinkSettingsRecord s;
    s.Type = s.NetAddr = s.PortIndex = s.Baudrate = -99;  // so that a field not read shows
    LoadSettings(s, Path());
    return s;
  }
  bool Save(const LinkSettingsRecord& s) { return SaveSettings(s, Path(), message); }

  test::TempDir dir;
  std::string message;
};

// Every field not in the file takes its default, so a missing file comes back as the fresh one.
TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsByteForByte) {
  ASSERT_TRUE(Save(Load())) << message;
  EXPECT_EQ(ReadRaw(), kFreshFile);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "nothing left beside it";
}

TEST_F(SettingsFileTest, ValuesAreReadByTheFileRules) {
  WriteRaw("[serial]\nBaudrate=0x2580\nDelay=abc\nModem=5\nBits = 2 \nParity=-1\nStopBits=12x\n"
           "[ETHERNET]\nip_addr= 10.0.0.7 \nPort=0X1F6\n[Communication]\nType=1\nNetAddr=\n");
  const LinkSettingsRecord s = Load();
  // Parity: no range test here.
  EXPECT_EQ(std::tuple(s.Baudrate, s.Delay, s.Modem, s.Bits, s.Parity, s.StopBits, s.TcpPort, s.Type, s.NetAddr),
            std::tuple(9600, 100, true, 2, -1, 0, 502, 1, 1));
  EXPECT_EQ(s.IpAddr, "10.0.0.7");
}

// The broadcast address, and a port or pause that the dialog would cut, are as good as none.
TEST_F(SettingsFileTest, ValuesOutOfRangeAreNotSetAndSaidSo) {
  WriteRaw("[Communication]\nNetAddr=0\n[Ethernet]\nPort=65536\n[Serial]\nBaudrate=-9600\nDelay=10000\n");
  LinkSettingsRecord s;
  const SettingsLoad load = LoadSettings(s, Path());
  EXPECT_EQ(std::tuple(s.NetAddr, s.TcpPort, s.Baudrate, s.Delay), std::tuple(1, 502, 9600, 100));
  ASSERT_EQ(load.warnings.size(), 4u);
  EXPECT_EQ(load.warnings[0], Path().string() + ": [Communication] NetAddr=0 is outside 1..255: taken as not set (1)");
  WriteRaw("[Communication]\nNetAddr=255\n[Ethernet]\nPort=65535\n[Serial]\nBaudrate=1\nDelay=-999\n");
  EXPECT_TRUE(LoadSettings(s, Path()).warnings.empty());
  EXPECT_EQ(std::tuple(s.NetAddr, s.TcpPort, s.Baudrate, s.Delay), std::tuple(255, 65535, 1, -999));
  WriteRaw("[Communication]\r\nNetAddr=7\r\n" + std::string(kSettingsFileLimit, '\n'));
  EXPECT_TRUE(LoadSettings(s, Path()).refused);
  EXPECT_EQ(s.NetAddr, 1);
}

TEST_F(SettingsFileTest, ForeignKeysAndSectionsKeepTheirPlace) {
  WriteRaw("; kept comment\r\n[Tools]\r\nEditor=vi\r\n\r\n[Serial]\r\nbaudrate=19200\r\nExtra=1\r\n\r\n"
           "[Communication]\r\nType=0\r\n");
  LinkSettingsRecord s = Load();
  s.Baudrate = 38400;
  s.NetAddr = 5;
  ASSERT_TRUE(Save(s));
  EXPECT_EQ(ReadRaw(),
            "; kept comment\r\n[Tools]\r\nEditor=vi\r\n\r\n"
            "[Serial]\r\nbaudrate=38400\r\nExtra=1\r\nPort=0\r\nBits=4\r\nParity=2\r\nStopBits=0\r\nDelay=100\r\nModem=0\r\n\r\n"
            "[Communication]\r\nType=0\r\nNetAddr=5\r\n"
            "[Ethernet]\r\nIP_Addr=192.168.0.1\r\nPort=502\r\n");
}

TEST_F(SettingsFileTest, TextValueTravelsInWindows1251) {
  LinkSettingsRecord s = Load();
  s.IpAddr = "счетчик";
  ASSERT_TRUE(Save(s));
  EXPECT_NE(ReadRaw().find("IP_Addr=\xF1\xF7\xE5\xF2\xF7\xE8\xEA\r\n"), std::string::npos);
  EXPECT_EQ(Load().IpAddr, "счетчик");
}

TEST_F(SettingsFileTest, PathThroughAFileGivesTheMessageAndKeepsTheFile) {
  WriteRaw("x");
  EXPECT_FALSE(SaveSettings(Load(), Path() / "Vedan_modbus.ini", message));
  EXPECT_EQ(message, "Unable to write to " + (Path() / "Vedan_modbus.ini").string());
  EXPECT_EQ(ReadRaw(), "x");
}

TEST(IniDocument, FirstOfTwoEqualKeysWinsAndIsTheOneChanged) {
  IniDocument ini = IniDocument::Parse("[A]\rk=1\rK=2\r");
  EXPECT_EQ(ini.Value("a", "K"), "1");
  ini.Set("A", "k", "3");
  EXPECT_EQ(ini.Serialize(), "[A]\r\nk=3\r\nK=2\r\n");
}

// tel_numbers.ini: every kind of line end is read, CR LF written; a number the file cannot hold
// is refused.
TEST(PhoneList, ReadsEveryLineEndAndStoresOnlyWhatComesBack) {
  using Numbers = std::vector<std::string>;
  const std::pair<std::string, Numbers> cases[] = {
      {"", {}}, {"123\r\n", {"123"}}, {"1\r\n2\r3\n4", {"1", "2", "3", "4"}}, {"1\r\n\r\n2\r\n", {"1", "", "2"}},
      {"1\n\r2", {"1", "", "2"}}, {"1\r\r\n2", {"1", "", "2"}}, {"\r\n", {""}}, {" 12 \r\n", {" 12 "}},
      {"\xCD\xEE\xEC\xE5\xF0 1\r\n", {"Номер 1"}}};
  for (const auto& [bytes, numbers] : cases) EXPECT_EQ(ParsePhoneList(bytes), numbers) << testing::PrintToString(bytes);
  const std::pair<std::string, bool> storable[] = {{"8-495-123-45-67", true}, {"", true}, {"Номер", true},
                                                   {"€ 1", true}, {"1\n2", false}, {"12\r", false},
                                                   {"☎ 123", false}, {"\xFF", false}};
  for (const auto& [number, ok] : storable) EXPECT_EQ(StorableNumber(number), ok) << number;
  test::TempDir dir;
  ASSERT_TRUE(SavePhoneList(dir.path / "tel_numbers.ini", {"8-495-1", "", "Дом"}));
  EXPECT_EQ(ReadFileBytes(dir.path / "tel_numbers.ini"), "8-495-1\r\n\r\n\xC4\xEE\xEC\r\n");
}

}  // namespace
}  // namespace kamt
