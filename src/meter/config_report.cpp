#include "meter/config_report.h"

#include <charconv>
#include <cstdio>
#include <span>

#include "meter/session.h"
#include "setup/window.h"
#include "text/text_file.h"

namespace kamt {
namespace {

constexpr std::string_view kPulseVoltageNames[] = {"18 В", "35 В"};
constexpr std::string_view kSensitivityNames[] = {"12 мВ", "7 мВ", "4 мВ", "2 мВ"};
// The fifth entry is misspelt in the reports the meters' users already keep; it stays so.
constexpr std::string_view kDisplayOffNames[] = {"Никогда",        "Через 5 минут",  "Через 10 минут",
                                                 "Через 15 минут", "Через 30 миунт", "Через 60 минут"};

// A table's entry, or the number itself for a value the table has no entry for.
std::string Named(std::span<const std::string_view> names, std::uint16_t value) {
  return value < names.size() ? std::string(names[value]) : std::to_string(value);
}

// "%f": six decimals and a point, never the locale's separator (printf would follow it).
std::string Fixed6(float value) {
  char text[128];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, double{value}, std::chars_format::fixed, 6);
  return ec == std::errc() ? std::string(text, end) : std::string("?");
}

// "%02hhd" and friends: the field as a signed 16-bit number, zero-filled to `width` digits.
std::string ZeroFilled(std::int16_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, int{value});
  return text;
}

std::string SerialLine(std::uint16_t serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%5u", unsigned{serial});
  return "КАМТ Заводской номер :\t" + std::string(text) + "\r\n";
}

std::string SensorLines(const MeterConfigRecord& c) {
  if (c.SensorType == 1) {
    return "Тип датчика:\tдавление\r\nМаксимальное давление:\t" + Fixed6(c.MaxPressure) + " кг/см2\r\n";
  }
  if (c.SensorType == 2) {
    return "Тип датчика:\tтемпература\r\nМаксимальная температура:\t" + Fixed6(c.MaxTemperature) + " градС\r\n";
  }
  return "Тип датчика:\tотключен\r\n";
}

}  // namespace

std::string ConfigReportName(const MeterConfigRecord& c) {
  return "KAMT_Conf" + std::to_string(c.SerialNumber) + ".txt";
}

std::string FormatConfigReport(const MeterConfigRecord& c, std::string_view diameterText) {
  const bool positive = c.Channels == 2 && c.CorrectionSign == 1;
  std::string r = SerialLine(c.SerialNumber);
  r += "Дата чтения конфигурации: \t" + ZeroFilled(c.Day, 2) + "." + ZeroFilled(c.Month, 2) + "." +
       ZeroFilled(c.Year, 4) + "\r\n";
  r += "Время чтения конфигурации: \t" + ZeroFilled(c.Hours, 2) + ":" + ZeroFilled(c.Minutes, 2) + ":" +
       ZeroFilled(c.Seconds, 2) + "\r\n\r\n";
  r += "Условный диаметр:\t" + std::string(diameterText) + " мм\r\n";
  r += "Коэффициент преобразования:\t" + Fixed6(c.ConversionFactor) + "\r\n";
  r += "Максимальный расход:\t" + Fixed6(c.MaxFlow) + " м3/ч\r\n";
  r += "Число разрядов:\t" + std::to_string(c.Digits) + "\r\n";
  r += "Коррекция частоты:\t" + Fixed6(c.FreqCorrection) + " Гц\r\n";
  r += std::string("Коррекция частоты:\t") + (positive ? "положительная" : "отрицательная") + "\r\n";
  r += "Переходная частота:\t" + Fixed6(c.TransitionFreq) + " Гц\r\n";
  r += "Напряжение смещения нуля:\t" + Fixed6(c.ZeroOffsetVoltage) + " В\r\n";
  r += "Коэффициент деления:\t" + std::to_string(c.Divider) + "\r\n";
  r += "Число каналов:\t" + std::to_string(c.Channels) + "\r\n";
  r += "Минимальная частота:\t" + Fixed6(c.MinFreq) + " Гц\r\n";
  r += "Число циклов захвата:\t" + std::to_string(c.CaptureCycles) + "\r\n";
  r += "Зондирующий импульс:\t" + Named(kPulseVoltageNames, c.ProbePulse) + "\r\n";
  r += "Чувствительность:\t" + Named(kSensitivityNames, c.Sensitivity) + "\r\n";
  r += "Время отключения дисплея:\t" + Named(kDisplayOffNames, c.DisplayOff) + "\r\n";
  return r + SensorLines(c);
}

bool SaveConfigReport(Session& s, std::string* openFailureReason) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  const std::string name = ConfigReportName(s.MeterConfig);
  const std::string text = FormatConfigReport(s.MeterConfig, w.Text("ComboBox11"));
  std::string error;
  WriteFailure failure = WriteFailure::None;
  if (!WriteTextFile(s.outputDirectory / name, text, &error, &failure)) {
    // A file made but not written whole (a full disk) is no failure to open it: the user is
    // told what went wrong, in the system's words.
    if (failure == WriteFailure::Write) {
      w.ShowMessage("Ошибка записи файла: " + name + ": " + error);
    } else {
      w.ShowMessage("Ошибка открытия файла: " + name);
      if (openFailureReason) *openFailureReason = error;
    }
    return false;
  }
  w.SetStatusText(1, "Конфигурация записана в файл: " + name);
  return true;
}

bool Button11Click(Session& s) { return SaveConfigReport(s, nullptr); }

}  // namespace kamt
