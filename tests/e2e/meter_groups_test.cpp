// The meter's settings written with kamt and read back from the simulated meter, which keeps
// them between runs: the fields named change, the others keep their values.
#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class MeterGroups : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    StartSim({"--tcp", "0", "--serial-number", "4321"});
  }
};

TEST_F(MeterGroups, CommunicationParametersOverTcp) {
  EXPECT_EQ(Kamt(Tcp({"comm", "read"})).out,
            "Сетевой номер: 1\nСкорость: 9600\nБиты данных: 8\nЧетность: Нет\nСтоп биты: 1\nТаймаут: 5 мс\n"
            "IP адрес: 192.168.0.10\nПорт: 502\n");
  const ProgramResult w = Kamt(Tcp({"comm", "write", "address=247", "baud=38400", "parity=Маркер", "stop-bits=2",
                                    "timeout=100 мс", "ip=010.0.0.0x0A", "port=70000"}));
  EXPECT_EQ(w.out, "Запись выполнена\n") << w.err;
  EXPECT_EQ(Kamt(Tcp({"comm", "read"})).out,
            "Сетевой номер: 247\nСкорость: 38400\nБиты данных: 8\nЧетность: Маркер\nСтоп биты: 2\nТаймаут: 100 мс\n"
            "IP адрес: 8.0.0.10\nПорт: 4464\n");
}

// Values as the locale writes them go in and come back out; the report keeps its point, in
// Windows-1251 with CR LF. A write the window would refuse sends nothing.
TEST_F(MeterGroups, ConfigurationOverTheSerialLineUnderACommaLocale) {
  const QStringList comma = {"LC_ALL=ru_RU.UTF-8"};
  EXPECT_EQ(Lines(Kamt(Serial({"config", "read"})).out).at(2), "Коэф. преобразования: 2.5");
  const ProgramResult w = Kamt(Serial({"config", "write", "factor=0.3", "max-flow=250,5", "diameter=#17",
                                       "display-off=Через 60 минут", "serial=70000", "channels=1"}), comma);
  EXPECT_EQ(w.out, "Запись выполнена\n") << w.err;
  const ProgramResult refused = Kamt(Serial({"config", "write", "min-freq=5..0"}));
  EXPECT_EQ(std::tuple(refused.exitCode, refused.err), std::tuple(1, "Ошибка ввода минимальной частоты\n"));
  const auto lines = Lines(Kamt(Serial({"config", "read"}), comma).out);
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(std::tuple(lines[0], lines[1], lines[2], lines[3], lines[10], lines[14], lines[18]),
            std::tuple("Зав. номер: 4464", "Условный диаметр, мм: ", "Коэф. преобразования: 0,300000011920929",
                       "Максимальный расход, м3/ч: 250,5", "Минимальная частота, Гц: 5",
                       "Отключение дисплея: Через 60 минут", "Коррекция частоты: отрицательная"));
  const ProgramResult save = Kamt(Serial({"config", "save"}), comma);
  EXPECT_EQ(save.out, "Конфигурация записана в файл: KAMT_Conf4464.txt\n") << save.err;
  const std::string bytes = ReadFileBytes(dir.path / "KAMT_Conf4464.txt").value_or("");
  EXPECT_TRUE(bytes.starts_with(Utf8ToCp1251("КАМТ Заводской номер :\t 4464\r\n"))) << bytes;
  EXPECT_TRUE(Has(bytes, Utf8ToCp1251("Коэффициент преобразования:\t0.300000\r\n")));
  EXPECT_TRUE(Has(bytes, Utf8ToCp1251("Коррекция частоты:\tотрицательная\r\n")));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 21);
  EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1);
}

}  // namespace
}  // namespace kamt::test
