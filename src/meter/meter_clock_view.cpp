#include "meter/meter_clock_view.h"

#include <cstdio>
#include <cstdlib>

#include "meter/combo_items.h"
#include "meter/meter_clock_calendar.h"
#include "meter/registers.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

using Field = std::int16_t MeterClockRecord::*;
constexpr Field kRegisterOrder[] = {&MeterClockRecord::seconds, &MeterClockRecord::minutes,
                                    &MeterClockRecord::hours,   &MeterClockRecord::day,
                                    &MeterClockRecord::dayOfWeek, &MeterClockRecord::month,
                                    &MeterClockRecord::year};

// One edit of the clock group: its accepted range, the value sent instead of one outside it,
// and the message for text that is no whole number.
struct ClockEdit {
  const char* control;
  Field field;
  int low;
  int high;
  std::int16_t replacement;
  const char* message;
  int width;  // of the zero-filled text shown
};

constexpr ClockEdit kEdits[] = {
    {"Hour_Edit", &MeterClockRecord::hours, 0, 23, 0, "Ошибка ввода часа", 2},
    {"Min_Edit", &MeterClockRecord::minutes, 0, 59, 0, "Ошибка ввода минут", 2},
    {"Sec_Edit", &MeterClockRecord::seconds, 0, 59, 0, "Ошибка ввода секунд", 2},
    {"Day_Edit", &MeterClockRecord::day, 0, 31, 1, "Ошибка ввода даты", 2},
    {"Month_Edit", &MeterClockRecord::month, 0, 12, 1, "Ошибка ввода месяца", 2},
    {"Year_Edit", &MeterClockRecord::year, 2000, 3000, 2014, "Ошибка ввода года", 4},
};

constexpr const char* kDayOfWeekBox = "DayOfWeek_ComboBox";
constexpr int kNoDayOfWeek = 7;  // the list's empty item

std::string ZeroFilled(int value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

// "1 ч 05 мин 03 с": the largest unit unpadded, the smaller ones in two digits.
std::string Duration(long long seconds) {
  const long long days = seconds / 86400;
  const int h = static_cast<int>(seconds / 3600 % 24);
  const int m = static_cast<int>(seconds / 60 % 60);
  const int s = static_cast<int>(seconds % 60);
  if (days > 0) {
    return std::to_string(days) + " сут " + ZeroFilled(h, 2) + " ч " + ZeroFilled(m, 2) + " мин " +
           ZeroFilled(s, 2) + " с";
  }
  if (h > 0) return std::to_string(h) + " ч " + ZeroFilled(m, 2) + " мин " + ZeroFilled(s, 2) + " с";
  if (m > 0) return std::to_string(m) + " мин " + ZeroFilled(s, 2) + " с";
  return std::to_string(s) + " с";
}

LocalDateTime TimeOf(const MeterClockRecord& c) { return {c.year, c.month, c.day, c.hours, c.minutes, c.seconds}; }

}  // namespace

MeterClockRecord DecodeMeterClock(std::span<const std::uint8_t, kMeterClockSize> data) {
  const RegisterView r(data);
  MeterClockRecord c;
  for (std::size_t i = 0; i < std::size(kRegisterOrder); ++i) c.*kRegisterOrder[i] = r.I16(i);
  return c;
}

std::array<std::uint8_t, kMeterClockSize> EncodeMeterClock(const MeterClockRecord& c) {
  std::array<std::uint8_t, kMeterClockSize> out{};
  RegisterWriter w(out);
  for (std::size_t i = 0; i < std::size(kRegisterOrder); ++i) {
    w.U16(i, static_cast<std::uint16_t>(c.*kRegisterOrder[i]));
  }
  return out;
}

void ShowMeterClock(MeterClockRecord& c, Window& w) {
  for (const ClockEdit& edit : kEdits) w.SetText(edit.control, ZeroFilled(c.*edit.field, edit.width));
  if (c.dayOfWeek >= w.ItemCount(kDayOfWeekBox)) c.dayOfWeek = 0;
  SelectItem(w, kDayOfWeekBox, c.dayOfWeek);
}

// A number the 16-bit register cannot hold, signed or unsigned, would be cut into another one
// (65559 into hour 23): it is refused with the edit's message, as text that is no number is.
constexpr std::int32_t kLeast16 = -32768;
constexpr std::int32_t kMost16 = 65535;

bool ParseClockInput(Window& w, MeterClockRecord& c) {
  for (const ClockEdit& edit : kEdits) {
    const auto number = ParseIntegerIn(w.Text(edit.control), kLeast16, kMost16);
    if (!number) {
      w.ShowMessage(edit.message);
      return false;
    }
    // The register's 16 bits, taken unsigned, decide the range: -1 is 65535, out of every range.
    const auto value = static_cast<std::uint16_t>(static_cast<std::uint32_t>(*number) & 0xFFFF);
    const bool inRange = value >= edit.low && value <= edit.high;
    c.*edit.field = inRange ? static_cast<std::int16_t>(value) : edit.replacement;
  }
  const int selected = w.ItemIndex(kDayOfWeekBox);
  // Nothing chosen (as before the first read): the meter still gets a day of week, the date's.
  c.dayOfWeek = static_cast<std::int16_t>(selected >= 0 ? selected
                                                        : DayOfWeek(c.year, c.month, c.day).value_or(kNoDayOfWeek));
  return true;
}

MeterClockRecord ClockOf(const LocalDateTime& t) {
  MeterClockRecord c;
  c.seconds = static_cast<std::int16_t>(t.seconds);
  c.minutes = static_cast<std::int16_t>(t.minutes);
  c.hours = static_cast<std::int16_t>(t.hours);
  c.day = static_cast<std::int16_t>(t.day);
  c.month = static_cast<std::int16_t>(t.month);
  c.year = static_cast<std::int16_t>(t.year);
  c.dayOfWeek = static_cast<std::int16_t>(DayOfWeek(t.year, t.month, t.day).value_or(kNoDayOfWeek));
  return c;
}

std::string ClockDifferenceText(const MeterClockRecord& meter, const LocalDateTime& computer) {
  const std::string head = "Расхождение с часами компьютера: ";
  const auto meterSeconds = WallSeconds(TimeOf(meter));
  const auto computerSeconds = WallSeconds(computer);
  if (!meterSeconds || !computerSeconds) return head + "неизвестно";
  const long long difference = *meterSeconds - *computerSeconds;
  if (difference == 0) return head + "0 с";
  return head + (difference > 0 ? "+" : "−") + Duration(std::llabs(difference));
}

}  // namespace kamt
