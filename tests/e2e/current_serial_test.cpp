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

TEST_F(CurrentOverSerial, SeparatorFollowsTheLocale) {
  StartSim({"--sensor-type", "1"});
  const ProgramResult comma = Kamt(Serial({"current"}), {"LC_ALL=ru_RU.UTF-8"});
  ASSERT_EQ(comma.exitCode, 0) << comma.err;
  const auto lines = Lines(comma.out);
  EXPECT_NE(lines.at(0).find(','), std::string::npos) << lines[0];
  EXPECT_NE(lines.at(5).find(','), std::string::npos) << lines[5];
  EXPECT_EQ(lines.at(1).find(','), std::string::npos) << "counters always use a point: " << lines[1];
  const ProgramResult point = Kamt(Serial({"current"}), {"LC_ALL=en_US.UTF-8"});
  EXPECT_EQ(Lines(point.out).at(0).find(','), std::string::npos);
}

TEST_F(CurrentOverSerial, ReadsTwiceInARowOnTheSameDevice) {
  StartSim({});
  EXPECT_EQ(Kamt(Serial({"current"})).exitCode, 0);
  EXPECT_EQ(Kamt(Serial({"current"})).exitCode, 0);
}

TEST_F(CurrentOverSerial, ExceptionAnswerComesBackWithoutWaitingForSilence) {
  StartSim({"--fault", "exception:2"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Недопустимый адрес данных!\nОшибка чтения\nПринято 5 байт\n");
  // Waiting out the silence after the five bytes would take a whole second by itself.
  EXPECT_LT(r.elapsedMs, 1000);
}

TEST_F(CurrentOverSerial, ExceptionCodeWithoutAName) {
  StartSim({"--fault", "exception:11"});
  EXPECT_EQ(Kamt(Serial({"current"})).err, "Ошибка: 0х0B\nОшибка чтения\nПринято 5 байт\n");
}

TEST_F(CurrentOverSerial, WrongCrc) {
  StartSim({"--fault", "crc"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Ошибка CRC!\nОшибка чтения\nПринято 101 байт\n");
}

TEST_F(CurrentOverSerial, ShortAnswer) {
  StartSim({"--fault", "short"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Ошибка CRC!\nОшибка чтения\nПринято 50 байт\n");
}

TEST_F(CurrentOverSerial, DelayedAnswerWithinTheTimeoutsIsTaken) {
  StartSim({"--fault", "delay:1500"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GE(r.elapsedMs, 1500);
}

TEST_F(CurrentOverSerial, SilentMeterEndsAtTheTotalTimeout) {
  StartSim({"--fault", "silent"});
  const ProgramResult r = Kamt(Serial({"current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
  EXPECT_GE(r.elapsedMs, 22200);  // 2000 + 200 x 101 ms
}

TEST_F(CurrentOverSerial, OtherAddressIsNotAnswered) {
  StartSim({"--address", "7", "--fault", "delay:0"});
  EXPECT_EQ(Kamt(Serial({"--address", "7", "current"})).exitCode, 0);
}

TEST_F(CurrentOverSerial, MissingDeviceSaysSo) {
  const ProgramResult r = Kamt({"--serial", QString::fromStdString((dir.path / "ttyNONE").string()), "current"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Порт не открыт: ")) << r.err;
}

}  // namespace
}  // namespace kamt::test
