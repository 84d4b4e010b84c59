#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class CurrentOverSerial : public E2eTest {};

TEST_F(CurrentOverSerial, GoodReadPrintsTheTwelveTexts) {
  StartSim({"--serial-number", "4321", "--hour-records", "721", "--sensor-type", "2"});
  const ProgramResult r = Kamt(Serial({"current"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 12u) << r.out;
  EXPECT_TRUE(lines[0].starts_with("Расход: ")) << lines[0];
  EXPECT_TRUE(lines[5].starts_with("Температура: ")) << lines[5];
  EXPECT_EQ(lines[7], "Зав. номер: 4321");
  EXPECT_EQ(lines[8], "Всего записей:720");
  EXPECT_TRUE(lines[11].starts_with("Текущее время: ")) << lines[11];
  EXPECT_EQ(r.err, "");
}

struct SerialFault {
  const char* fault;
  const char* err;
  long long minMs, maxMs;  // how long the read may take
};

void PrintTo(const SerialFault& c, std::ostream* os) { *os << c.fault; }

class CurrentOverSerialFault : public CurrentOverSerial, public ::testing::WithParamInterface<SerialFault> {};

TEST_P(CurrentOverSerialFault, IsReportedWithTheBytesReceived) {
  StartSim({"--fault", GetParam().fault});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, GetParam().err);
  EXPECT_GE(r.elapsedMs, GetParam().minMs);
  EXPECT_LT(r.elapsedMs, GetParam().maxMs);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CurrentOverSerialFault,
    ::testing::Values(
        // An exception answer is taken as soon as its five bytes are in, without waiting out
        // the silence after them (a whole second by itself).
        SerialFault{"exception:2", "Недопустимый адрес данных!\nОшибка чтения\nПринято 5 байт\n", 0, 1000},
        // Silence ends at the total time-out: 2000 + 200 x 101 ms.
        SerialFault{"silent", "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n", 22200, kHangLimitMs},
        SerialFault{"exception:11", "Ошибка: 0х0B\nОшибка чтения\nПринято 5 байт\n", 0, 1000},
        SerialFault{"crc", "Ошибка CRC!\nОшибка чтения\nПринято 101 байт\n", 0, kHangLimitMs},
        SerialFault{"short", "Ошибка CRC!\nОшибка чтения\nПринято 50 байт\n", 0, kHangLimitMs}),
    [](const auto& c) { return ParamName(c.param.fault); });

TEST_F(CurrentOverSerial, MissingDeviceSaysSo) {
  const ProgramResult r = Kamt({"--serial", QString::fromStdString((dir.path / "ttyNONE").string()), "current"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Порт не открыт: ")) << r.err;
}

}  // namespace
}  // namespace kamt::test
