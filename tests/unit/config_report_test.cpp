#include <filesystem>
#include <gtest/gtest.h>

#include "comma_locale.h"
#include "meter/config_report.h"
#include "temp_dir.h"
#include "test_rig.h"
#include "text/cp1251.h"
#include "text/text_file.h"

namespace kamt {
namespace {

MeterConfigRecord Typical() {
  return {.Seconds = 5, .Minutes = 7, .Hours = 9, .Day = 5, .Month = 12, .Year = 2026, .ConversionFactor = 2.5f,
          .MaxFlow = 100.0f, .FreqCorrection = 0.5f, .TransitionFreq = 50.0f, .MinFreq = 5.0f,
          .ZeroOffsetVoltage = 0.25f, .CaptureCycles = 4, .Divider = 8, .Digits = 2, .Channels = 2, .DisplayOff = 2,
          .Diameter = 4, .SerialNumber = 1234, .ProbePulse = 1, .Sensitivity = 1, .MaxPressure = 10.0f,
          .MaxTemperature = 150.0f, .SensorType = 1, .CorrectionSign = 1};
}

// Built by hand from the line formats.
constexpr const char* kTypicalReport =
    "КАМТ Заводской номер :\t 1234\r\n"
    "Дата чтения конфигурации: \t05.12.2026\r\n"
    "Время чтения конфигурации: \t09:07:05\r\n"
    "\r\n"
    "Условный диаметр:\t100 мм\r\n"
    "Коэффициент преобразования:\t2.500000\r\n"
    "Максимальный расход:\t100.000000 м3/ч\r\n"
    "Число разрядов:\t2\r\n"
    "Коррекция частоты:\t0.500000 Гц\r\n"
    "Коррекция частоты:\tположительная\r\n"
    "Переходная частота:\t50.000000 Гц\r\n"
    "Напряжение смещения нуля:\t0.250000 В\r\n"
    "Коэффициент деления:\t8\r\n"
    "Число каналов:\t2\r\n"
    "Минимальная частота:\t5.000000 Гц\r\n"
    "Число циклов захвата:\t4\r\n"
    "Зондирующий импульс:\t35 В\r\n"
    "Чувствительность:\t7 мВ\r\n"
    "Время отключения дисплея:\tЧерез 10 минут\r\n"
    "Тип датчика:\tдавление\r\n"
    "Максимальное давление:\t10.000000 кг/см2\r\n";

// One line of the report for a configuration changed by `change`.
TEST(FormatConfigReport, Lines) {
  using C = MeterConfigRecord;
  const std::pair<void (*)(MeterConfigRecord&), const char*> cases[] = {  // the change, a line expected (CR LF)
      {[](C& c) { c.SerialNumber = 7; }, "КАМТ Заводской номер :\t    7\r\n"},
      {[](C& c) { c.Day = 300, c.Month = -1, c.Year = 26; }, "Дата чтения конфигурации: \t300.-1.0026\r\n"},
      {[](C& c) { c.FreqCorrection = -1.25f, c.MaxFlow = 1e20f; },
       "Максимальный расход:\t100000002004087734272.000000 м3/ч\r\nЧисло разрядов:\t2\r\nКоррекция частоты:\t-1.250000 Гц\r\n"},
      {[](C& c) { c.Channels = 1; }, "Коррекция частоты:\tотрицательная\r\n"},  // one channel, whatever the sign
      {[](C& c) { c.Channels = 3; }, "Коррекция частоты:\tотрицательная\r\n"},
      {[](C& c) { c.CorrectionSign = 0; }, "Коррекция частоты:\tотрицательная\r\n"},
      {[](C& c) { c.DisplayOff = 4; }, "Время отключения дисплея:\tЧерез 30 миунт\r\n"},  // its old spelling
      {[](C& c) { c.DisplayOff = 6; }, "Время отключения дисплея:\t6\r\n"},
      {[](C& c) { c.Sensitivity = 4; }, "Чувствительность:\t4\r\n"},  // an empty item is its number
      {[](C& c) { c.Sensitivity = 3; }, "Чувствительность:\t2 мВ\r\n"},
      {[](C& c) { c.Divider = 65535; }, "Коэффициент деления:\t65535\r\n"},
      {[](C& c) { c.SensorType = 2, c.MaxTemperature = 150.5f; },
       "Тип датчика:\tтемпература\r\nМаксимальная температура:\t150.500000 градС\r\n"},
      {[](C& c) { c.SensorType = 3; }, "Через 10 минут\r\nТип датчика:\tотключен\r\n"}};
  for (const auto& [change, line] : cases) {
    MeterConfigRecord config = Typical();
    change(config);
    const std::string report = FormatConfigReport(config, "100");
    EXPECT_NE(report.find(line), std::string::npos) << report;
    EXPECT_EQ(report.ends_with("отключен\r\n"), config.SensorType == 3) << report;
  }
  EXPECT_EQ(ConfigReportName(MeterConfigRecord{}), "KAMT_Conf0.txt");
}

// The window runs in the user's locale; the report keeps its point.
TEST(FormatConfigReport, TypicalConfigurationWithItsPointEvenUnderACommaLocale) {
  std::string report;
  {
    test::CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma could be made";
    report = FormatConfigReport(Typical(), "100");
  }
  EXPECT_EQ(report, kTypicalReport);
}

class Button11ClickTest : public ::testing::Test {
 protected:
  Button11ClickTest() {
    rig.session.outputDirectory = dir.path;
    rig.session.MeterConfig = Typical();
    rig.session.MeterConfig.Diameter = 5;  // "150": the report takes the box's text, not the register
    rig.window.SetText("ComboBox11", "100");
  }
  test::TestRig rig;
  test::TempDir dir;
};

// The report takes the box's text, not the register. Nothing is written while another command
// runs; a file that cannot be made is reported by name and leaves nothing.
TEST_F(Button11ClickTest, WritesTheReportInWindows1251) {
  EXPECT_TRUE(Button11Click(rig.session));
  EXPECT_EQ(ReadFileBytes(dir.path / "KAMT_Conf1234.txt"), Utf8ToCp1251(kTypicalReport));
  EXPECT_EQ(rig.window.StatusText(1), "Конфигурация записана в файл: KAMT_Conf1234.txt");
  {
    CommandScope running(rig.session);
    EXPECT_FALSE(Button11Click(rig.session));
  }
  EXPECT_TRUE(rig.window.messages.empty());
  std::filesystem::remove(dir.path / "KAMT_Conf1234.txt");
  std::filesystem::create_directory(dir.path / "KAMT_Conf1234.txt");
  rig.window.SetStatusText(1, "Данные считаны");
  EXPECT_FALSE(Button11Click(rig.session));
  EXPECT_EQ(rig.window.messages, std::vector<std::string>{"Ошибка открытия файла: KAMT_Conf1234.txt"});
  EXPECT_EQ(rig.window.StatusText(1), "Данные считаны");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kamt
