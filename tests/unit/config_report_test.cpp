#include <gtest/gtest.h>

#include "comma_locale.h"

#include <filesystem>

#include "meter/config_report.h"
#include "platform/cp1251.h"
#include "platform/text_file.h"
#include "temp_dir.h"
#include "test_rig.h"

namespace kamt {
namespace {

MeterConfigRecord Typical() {
  MeterConfigRecord c;
  c.Seconds = 5;
  c.Minutes = 7;
  c.Hours = 9;
  c.Day = 5;
  c.Month = 12;
  c.Year = 2026;
  c.ConversionFactor = 2.5f;
  c.MaxFlow = 100.0f;
  c.FreqCorrection = 0.5f;
  c.TransitionFreq = 50.0f;
  c.MinFreq = 5.0f;
  c.ZeroOffsetVoltage = 0.25f;
  c.CaptureCycles = 4;
  c.Divider = 8;
  c.Digits = 2;
  c.Channels = 2;
  c.DisplayOff = 2;
  c.Diameter = 4;
  c.SerialNumber = 1234;
  c.ProbePulse = 1;
  c.Sensitivity = 1;
  c.MaxPressure = 10.0f;
  c.MaxTemperature = 150.0f;
  c.SensorType = 1;
  c.CorrectionSign = 1;
  return c;
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

TEST(FormatConfigReport, TypicalConfigurationLineByLine) {
  EXPECT_EQ(FormatConfigReport(Typical(), "100"), kTypicalReport);
}

// One line of the report for a configuration changed by `change`.
struct LineCase {
  const char* name;
  void (*change)(MeterConfigRecord&);
  const char* diameter;
  const char* line;  // expected among the report's lines (with its CR LF)
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ReportLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReportLine, Reads) {
  MeterConfigRecord c = Typical();
  GetParam().change(c);
  const std::string report = FormatConfigReport(c, GetParam().diameter);
  EXPECT_NE(report.find(GetParam().line), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportLine,
    ::testing::Values(
        LineCase{"SerialRightAlignedIn5", [](MeterConfigRecord& c) { c.SerialNumber = 7; }, "100",
                 "КАМТ Заводской номер :\t    7\r\n"},
        LineCase{"SerialOf5DigitsFillsTheWidth", [](MeterConfigRecord& c) { c.SerialNumber = 65535; }, "100",
                 "КАМТ Заводской номер :\t65535\r\n"},
        LineCase{"ClockFieldsAreSignedAndNotCutTo8Bits",
                 [](MeterConfigRecord& c) {
                   c.Day = 300;
                   c.Month = -1;
                   c.Year = 2026;
                 },
                 "100", "Дата чтения конфигурации: \t300.-1.2026\r\n"},
        LineCase{"ShortYearIsZeroFilled", [](MeterConfigRecord& c) { c.Year = 26; }, "100", ".0026\r\n"},
        LineCase{"ThePointWhateverTheLocale", [](MeterConfigRecord& c) { c.ConversionFactor = 0.3f; }, "100",
                 "Коэффициент преобразования:\t0.300000\r\n"},
        LineCase{"NegativeAndLarge",
                 [](MeterConfigRecord& c) {
                   c.FreqCorrection = -1.25f;
                   c.MaxFlow = 1e20f;
                 },
                 "100", "Коррекция частоты:\t-1.250000 Гц\r\n"},
        LineCase{"NoExponentEver", [](MeterConfigRecord& c) { c.MaxFlow = 1e20f; }, "100",
                 "Максимальный расход:\t100000002004087734272.000000 м3/ч\r\n"},
        LineCase{"OneChannelIsNegativeWhateverTheSign", [](MeterConfigRecord& c) { c.Channels = 1; }, "100",
                 "Коррекция частоты:\tотрицательная\r\n"},
        LineCase{"ThreeChannelsAreNegative", [](MeterConfigRecord& c) { c.Channels = 3; }, "100",
                 "Коррекция частоты:\tотрицательная\r\n"},
        LineCase{"TwoChannelsSignZero", [](MeterConfigRecord& c) { c.CorrectionSign = 0; }, "100",
                 "Коррекция частоты:\tотрицательная\r\n"},
        LineCase{"ThirtyMinutesKeepsItsOldSpelling", [](MeterConfigRecord& c) { c.DisplayOff = 4; }, "100",
                 "Время отключения дисплея:\tЧерез 30 миунт\r\n"},
        LineCase{"DisplayOffBeyondTheTableIsItsNumber", [](MeterConfigRecord& c) { c.DisplayOff = 6; }, "100",
                 "Время отключения дисплея:\t6\r\n"},
        LineCase{"ProbePulseBeyondTheTableIsItsNumber", [](MeterConfigRecord& c) { c.ProbePulse = 2; }, "100",
                 "Зондирующий импульс:\t2\r\n"},
        LineCase{"SensitivityOfAnEmptyItemIsItsNumber", [](MeterConfigRecord& c) { c.Sensitivity = 4; }, "100",
                 "Чувствительность:\t4\r\n"},
        LineCase{"SensitivityLastEntry", [](MeterConfigRecord& c) { c.Sensitivity = 3; }, "100",
                 "Чувствительность:\t2 мВ\r\n"},
        LineCase{"DividerAndCountsAsRegisters",
                 [](MeterConfigRecord& c) {
                   c.Divider = 65535;
                   c.CaptureCycles = 10;
                 },
                 "100", "Коэффициент деления:\t65535\r\n"},
        LineCase{"DiameterAsShown", [](MeterConfigRecord&) {}, "1200", "Условный диаметр:\t1200 мм\r\n"},
        LineCase{"DiameterOutsideTheList", [](MeterConfigRecord& c) { c.Diameter = 30; }, "",
                 "Условный диаметр:\t мм\r\n"},
        LineCase{"Temperature",
                 [](MeterConfigRecord& c) {
                   c.SensorType = 2;
                   c.MaxTemperature = 150.5f;
                 },
                 "100", "Тип датчика:\tтемпература\r\nМаксимальная температура:\t150.500000 градС\r\n"}),
    [](const auto& c) { return std::string(c.param.name); });

// The window runs in the user's locale; the report keeps its point.
TEST(FormatConfigReport, PointEvenUnderACommaLocale) {
  std::string report;
  {
    test::CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma could be made";
    report = FormatConfigReport(Typical(), "100");
  }
  EXPECT_EQ(report, kTypicalReport);
}

TEST(FormatConfigReport, WithoutASensorThereIsNoMaximumLine) {
  for (const std::uint16_t type : {std::uint16_t{0}, std::uint16_t{3}, std::uint16_t{65535}}) {
    MeterConfigRecord c = Typical();
    c.SensorType = type;
    const std::string report = FormatConfigReport(c, "100");
    EXPECT_TRUE(report.ends_with("Время отключения дисплея:\tЧерез 10 минут\r\nТип датчика:\tотключен\r\n")) << type;
    EXPECT_EQ(report.find("Максимальн", report.find("Тип датчика")), std::string::npos) << type;
  }
}

TEST(ConfigReportName, IsTheSerialNumberWithoutLeadingZeros) {
  MeterConfigRecord c;
  EXPECT_EQ(ConfigReportName(c), "KAMT_Conf0.txt");
  c.SerialNumber = 1234;
  EXPECT_EQ(ConfigReportName(c), "KAMT_Conf1234.txt");
}

class Button11ClickTest : public ::testing::Test {
 protected:
  Button11ClickTest() {
    rig.session.OutputDirectory = dir.path;
    rig.session.MeterConfig = Typical();
    rig.window.SetText("ComboBox11", "100");
  }
  test::TestRig rig;
  test::TempDir dir;
};

TEST_F(Button11ClickTest, WritesTheReportInWindows1251) {
  EXPECT_TRUE(Button11Click(rig.session));
  const auto bytes = ReadFileBytes(dir.path / "KAMT_Conf1234.txt");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, Utf8ToCp1251(kTypicalReport));
  EXPECT_TRUE(bytes->starts_with("\xCA\xC0\xCC\xD2 "));  // "КАМТ" in Windows-1251
  EXPECT_EQ(rig.window.StatusText(1), "Конфигурация записана в файл: KAMT_Conf1234.txt");
  EXPECT_TRUE(rig.window.messages.empty());
}

TEST_F(Button11ClickTest, TheDiameterIsTheBoxTextWhenSaving) {
  rig.window.SetText("ComboBox11", "150");
  ASSERT_TRUE(Button11Click(rig.session));
  EXPECT_NE(ReadFileBytes(dir.path / "KAMT_Conf1234.txt")->find("\t150 "), std::string::npos);
}

TEST_F(Button11ClickTest, SavingTwiceReplacesTheFileAndLeavesNothingBeside) {
  ASSERT_TRUE(Button11Click(rig.session));
  rig.session.MeterConfig.MaxFlow = 7.0f;
  ASSERT_TRUE(Button11Click(rig.session));
  EXPECT_NE(ReadFileBytes(dir.path / "KAMT_Conf1234.txt")->find("\t7.000000 "), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

TEST_F(Button11ClickTest, AFileThatCannotBeMadeIsReportedByName) {
  rig.session.OutputDirectory = dir.path / "missing";
  rig.window.SetStatusText(1, "Данные считаны");
  EXPECT_FALSE(Button11Click(rig.session));
  EXPECT_EQ(rig.window.messages, std::vector<std::string>{"Ошибка открытия файла: KAMT_Conf1234.txt"});
  EXPECT_EQ(rig.window.StatusText(1), "Данные считаны");
}

TEST_F(Button11ClickTest, AFailedReplaceLeavesNoTemporaryFileBehind) {
  // A directory of the report's name cannot be replaced by the finished file.
  std::filesystem::create_directory(dir.path / "KAMT_Conf1234.txt");
  EXPECT_FALSE(Button11Click(rig.session));
  EXPECT_EQ(rig.window.messages, std::vector<std::string>{"Ошибка открытия файла: KAMT_Conf1234.txt"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.path / "KAMT_Conf1234.txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

TEST_F(Button11ClickTest, RefusedWhileAnotherCommandRuns) {
  CommandScope running(rig.session);
  EXPECT_FALSE(Button11Click(rig.session));
  EXPECT_FALSE(std::filesystem::exists(dir.path / "KAMT_Conf1234.txt"));
}

}  // namespace
}  // namespace kamt
