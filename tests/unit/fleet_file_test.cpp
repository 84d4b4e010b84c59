#include <gtest/gtest.h>

#include "fleet/fleet_file.h"

namespace kamt {
namespace {

// A line read: the meter's line key and connection as stored, its archives and depth.
struct GoodLine {
  const char* line;
  const char* key;
  const char* connection;
  const char* archives;  // h, d, m present
  int depth;             // 0 for none
};

class FleetGoodLine : public ::testing::TestWithParam<GoodLine> {};

TEST_P(FleetGoodLine, IsRead) {
  const GoodLine& p = GetParam();
  const FleetFile fleet = ParseFleetText(p.line, "f.txt");
  ASSERT_TRUE(fleet.errors.empty()) << fleet.errors[0];
  ASSERT_EQ(fleet.meters.size(), 1u);
  const FleetMeter& m = fleet.meters[0];
  EXPECT_EQ(m.LineKey(), p.key);
  EXPECT_EQ(m.Connection(), p.connection);
  const std::string archives = std::string(m.archives[0] ? "h" : "") + (m.archives[1] ? "d" : "") + (m.archives[2] ? "m" : "");
  EXPECT_EQ(archives, p.archives);
  EXPECT_EQ(m.depth.value_or(0), p.depth);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FleetGoodLine,
    ::testing::Values(
        GoodLine{"boiler  tcp=10.0.0.5   # comment", "tcp 10.0.0.5:502", "tcp=10.0.0.5:502 unit=255", "hdm", 0},
        GoodLine{"b tcp=meter.local:1502 unit=255 archives=daily,monthly depth=48 site=north",
                 "tcp meter.local:1502", "tcp=meter.local:1502 unit=255", "dm", 48},
        GoodLine{"gw tcp=10.0.0.8 unit=17", "tcp 10.0.0.8:502", "tcp=10.0.0.8:502 unit=17", "hdm", 0},
        GoodLine{"conv rtu-tcp=10.0.0.9:4001 address=3 delay=0 archives=hourly", "rtu-tcp 10.0.0.9:4001",
                 "rtu-tcp=10.0.0.9:4001 address=3 delay=0", "h", 0},
        GoodLine{"p serial=/dev/ttyUSB0 baud=19200 line=7E2 address=17 delay=0", "serial /dev/ttyUSB0",
                 "serial=/dev/ttyUSB0 baud=19200 line=7E2 address=17 delay=0", "hdm", 0},
        GoodLine{"far serial=COM3 line=8n1.5 modem=+79001234567", "serial COM3",
                 "serial=COM3 baud=9600 line=8N1.5 address=1 modem=+79001234567",
                 "hdm", 0},
        // A spreadsheet's export: cells by ';', a quoted cell with its separator inside, a BOM.
        GoodLine{"\xEF\xBB\xBF\"Котельная; 2\";tcp=10.0.0.7;\"archives=hourly\";;", "tcp 10.0.0.7:502",
                 "tcp=10.0.0.7:502 unit=255", "h", 0},
        GoodLine{"Насос №1\tserial=/dev/ttyS1\taddress=3", "serial /dev/ttyS1",
                 "serial=/dev/ttyS1 baud=9600 line=8N1 address=3", "hdm", 0}));

// The window polls a meter again from what the database keeps of its line.
TEST(FleetFile, StoredConnectionIsReadBack) {
  for (const char* line : {"\"Котельная 2\";serial=COM3;baud=19200;line=7E2;address=4;delay=250;modem=+7 900 12",
                           "gw tcp=10.0.0.8 unit=17"}) {
    const FleetMeter m = ParseFleetText(line, "f").meters.at(0);
    const FleetFile back = ParseStoredConnection(m.name, m.Connection());
    ASSERT_EQ(back.meters.size(), 1u) << back.errors.at(0);
    EXPECT_EQ(back.meters[0].name, m.name);
    EXPECT_EQ(back.meters[0].Connection(), m.Connection());
    EXPECT_EQ(back.meters[0].delayMs, m.delayMs);
  }
}

TEST(FleetFile, ModemNumberWithBlanksNeedsSpreadsheetCells) {
  // Split by blanks, "900" is not KEY=VALUE; in a cell of its own the number keeps its blanks.
  EXPECT_EQ(ParseFleetText("far serial=COM3 modem=+7 900", "f").errors.size(), 1u);
  EXPECT_EQ(ParseFleetText("far;serial=COM3;modem=+7 900", "f").meters.at(0).modemNumber, "+7 900");
}

TEST(FleetFile, BadLinesAreRefusedWithNumberAndWhyAndTheOthersKept) {
  const FleetFile fleet = ParseFleetText(
      "# fleet\n"
      "a tcp=10.0.0.1\n"
      "tcp=10.0.0.2\n"
      "b\n"
      "c tcp=10.0.0.3 serial=/dev/ttyS0\n"
      "d tcp=10.0.0.4:70000\n"
      "e tcp=10.0.0.5 baud=9600\n"
      "f serial=/dev/ttyS0 line=9N1\n"
      "g tcp=10.0.0.6 archives=hourly,weekly\n"
      "h tcp=10.0.0.7 depth=0\n"
      "a tcp=10.0.0.8\n"
      "i tcp=10.0.0.9 colour=red\n"
      "j tcp=10.0.0.9 site=x site=y\n"
      "k rtu-tcp=10.0.0.9 address=3\n"
      "l tcp=10.0.0.9 address=2\n"
      "m serial=/dev/ttyS0 address\n"
      "n tcp=10.0.0.10\r\n",
      "fleet.txt");
  const std::vector<std::string> expected = {
      "fleet.txt:3: the line starts with a setting, not the meter's name",
      "fleet.txt:4: give one connection: tcp=HOST[:PORT], rtu-tcp=HOST:PORT or serial=DEVICE",
      "fleet.txt:5: give one connection: tcp=HOST[:PORT], rtu-tcp=HOST:PORT or serial=DEVICE",
      "fleet.txt:6: tcp=10.0.0.4:70000: not HOST[:PORT]",
      "fleet.txt:7: baud= does not go with this connection",
      "fleet.txt:8: line=9N1: not data bits, parity and stop bits, such as 8N1",
      "fleet.txt:9: archives=hourly,weekly: a list of hourly, daily, monthly",
      "fleet.txt:10: depth=0: a whole number from 1 to 65535",
      "fleet.txt:11: the name \"a\" is already used on line 2",
      "fleet.txt:12: unknown setting \"colour\"",
      "fleet.txt:13: site= is given twice",
      "fleet.txt:14: rtu-tcp=10.0.0.9: not HOST:PORT",
      "fleet.txt:15: address= does not go with this connection",
      "fleet.txt:16: \"address\" is not KEY=VALUE",
  };
  EXPECT_EQ(fleet.errors, expected);
  ASSERT_EQ(fleet.meters.size(), 2u);
  EXPECT_EQ(fleet.meters[1].name, "n");
  EXPECT_EQ(fleet.meters[1].lineNumber, 17);
}

TEST(FleetFile, Windows1251SpreadsheetTextIsRead) {
  const FleetFile fleet = ParseFleetText("\xCD\xE0\xF1\xEE\xF1;tcp=10.0.0.1", "f");  // "Насос" in Windows-1251
  ASSERT_EQ(fleet.meters.size(), 1u);
  EXPECT_EQ(fleet.meters[0].name, "Насос");
}

}  // namespace
}  // namespace kamt
