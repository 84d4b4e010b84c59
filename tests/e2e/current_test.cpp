// kamt current against the simulated meter over a pseudo-terminal and over Modbus TCP, with the
// faults that reach the real ports: what the window shows is printed, message boxes on stderr.
#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class Current : public E2eTest {};

// The settings file of the working directory chooses the meter when no option does.
TEST_F(Current, GoodReadsPrintTheTwelveTexts) {
  StartSim({"--tcp", "0", "--serial-number", "4321", "--hour-records", "721", "--sensor-type", "2"});
  WriteTextFile(dir.path / "Vedan_modbus.ini",
                "[Communication]\r\nType=1\r\n[Ethernet]\r\nIP_Addr=127.0.0.1\r\nPort=" + std::to_string(Sim().TcpPort()));
  for (const QStringList& args : {Serial({"current"}), QStringList{"current"}}) {
    const ProgramResult r = Kamt(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 12u) << r.out;
    EXPECT_TRUE(lines[0].starts_with("Расход: ")) << lines[0];
    EXPECT_TRUE(lines[5].starts_with("Температура: ")) << lines[5];
    EXPECT_EQ(std::tuple(lines[7], lines[8]), std::tuple("Зав. номер: 4321", "Всего записей:720"));
    EXPECT_TRUE(lines[11].starts_with("Текущее время: ")) << lines[11];
    EXPECT_EQ(r.err, "");
  }
}

// A Modbus exception (with the Cyrillic "х" of an unnamed code), a wrong CRC, a short answer;
// over TCP a late answer, one in pieces, two frames at once.
TEST_F(Current, FaultsAreReportedAsWhatTheyAre) {
  const std::tuple<bool, const char*, const char*> cases[] = {  // serial, fault, stderr
      {true, "exception:11", "Ошибка: 0х0B\nОшибка чтения\nПринято 5 байт\n"},
      {true, "crc", "Ошибка CRC!\nОшибка чтения\nПринято 101 байт\n"},
      {true, "short", "Ошибка CRC!\nОшибка чтения\nПринято 50 байт\n"},
      {false, "late:3500", "Чтение данных\nkamt: no answer within 3 s\n"},
      {false, "split:400", ""},
      {false, "two-frames", ""},
      {false, "exception:4", "Ошибка устройства!\nОшибка чтения\nПолучено байт: 9\n"}};
  for (const auto& [serial, fault, err] : cases) {
    StartSim({"--tcp", "0", "--fault", fault});
    const ProgramResult r = Kamt(serial ? Serial({"current"}) : Tcp({"current"}));
    EXPECT_EQ(r.exitCode, *err ? 1 : 0) << fault;
    EXPECT_EQ(r.err, err) << fault;
  }
  const std::string address = Sim().TcpAddress();
  Sim().Kill();
  const ProgramResult refused = Kamt({"--tcp", QString::fromStdString(address), "current"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(Has(refused.err, "соединение отклонено")) << refused.err;
}

// The one test that waits out a silent meter: 2000 + 200 x 101 ms on the real port.
TEST_F(Current, SlowSilentMeterOverTheSerialLine) {
  StartSim({"--fault", "silent"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
}

}  // namespace
}  // namespace kamt::test
