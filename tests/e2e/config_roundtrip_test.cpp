#include <algorithm>
#include <filesystem>
#include <fstream>

#include "meter_groups_fixture.h"

namespace kamt::test {
namespace {

class ConfigOverBoth : public OverBothTransports {};

// Values as the locale writes them go in, and come back out the same way; the fields not
// named keep their values.
TEST_P(ConfigOverBoth, WrittenFieldsAreReadBackAndTheOthersKept) {
  const ProgramResult before = Run({"config", "read"});
  EXPECT_EQ(before.err, "");
  ASSERT_EQ(Lines(before.out).size(), 19u) << before.out;
  EXPECT_EQ(Lines(before.out)[2], "Коэф. преобразования: 2.5");
  const ProgramResult w = Run({"config", "write", "factor=0.3", "max-flow=250,5", "diameter=#17",
                               "display-off=Через 60 минут", "serial=4464", "correction-sign=0"},
                              {"LC_ALL=ru_RU.UTF-8"});
  ASSERT_EQ(w.exitCode, 0) << w.err;
  EXPECT_EQ(w.out, "Запись выполнена\n");
  const auto lines = Lines(Run({"config", "read"}, {"LC_ALL=ru_RU.UTF-8"}).out);
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[0], "Зав. номер: 4464");
  EXPECT_EQ(lines[1], "Условный диаметр, мм: ");
  EXPECT_EQ(lines[2], "Коэф. преобразования: 0,300000011920929");
  EXPECT_EQ(lines[3], "Максимальный расход, м3/ч: 250,5");
  EXPECT_EQ(lines[5], "Коррекция частоты, Гц: 0,5");
  EXPECT_EQ(lines[14], "Отключение дисплея: Через 60 минут");
  EXPECT_EQ(lines[18], "Коррекция частоты: отрицательная");
}

TEST_P(ConfigOverBoth, SaveWritesTheReportIntoTheWorkingDirectory) {
  ASSERT_EQ(Run({"config", "write", "channels=1", "factor=0.3"}).exitCode, 0);
  const ProgramResult r = Run({"config", "save"}, {"LC_ALL=ru_RU.UTF-8"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Конфигурация записана в файл: KAMT_Conf4321.txt\n");
  std::ifstream file(dir.path / "KAMT_Conf4321.txt", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // Windows-1251, CR LF, a point whatever the locale, the one-channel rule.
  EXPECT_TRUE(bytes.starts_with("\xCA\xC0\xCC\xD2 \xC7\xE0\xE2\xEE\xE4\xF1\xEA\xEE\xE9 \xED\xEE\xEC\xE5\xF0 :\t 4321\r\n"))
      << bytes;
  EXPECT_TRUE(Has(bytes, ":\t0.300000\r\n"));
  EXPECT_TRUE(Has(bytes, "\t100 \xEC\xEC\r\n"));  // "100 мм"
  EXPECT_TRUE(Has(bytes, "\t\xEE\xF2\xF0\xE8\xF6\xE0\xF2\xE5\xEB\xFC\xED\xE0\xFF\r\n"));  // отрицательная
  std::size_t lineEnds = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++lineEnds;
  EXPECT_EQ(lineEnds, 21u);  // 19 lines, the empty one after the time, a second sensor line
  EXPECT_EQ(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')), lineEnds);
}

TEST_P(ConfigOverBoth, AWriteTheWindowWouldRefuseSendsNothing) {
  const ProgramResult r = Run({"config", "write", "min-freq=5..0"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Ошибка ввода минимальной частоты\n");
  EXPECT_EQ(Lines(Run({"config", "read"}).out).at(10), "Минимальная частота, Гц: 5");
}

INSTANTIATE_TEST_SUITE_P(Transports, ConfigOverBoth, ::testing::Values("serial", "tcp"), TransportName);

TEST_F(E2eTest, ConfigSaveThatTheMeterRefusesWritesNoFile) {
  StartSim({"--fault", "exception:2"});
  const ProgramResult r = Kamt(Serial({"config", "save"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Недопустимый адрес данных!\nОшибка чтения\nПринято 5 байт\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path / "KAMT_Conf1234.txt"));
}

}  // namespace
}  // namespace kamt::test
