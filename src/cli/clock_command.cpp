#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_json.h"
#include "cli/console_window.h"
#include "cli/field_assignments.h"
#include "meter/meter_clock_calendar.h"
#include "meter/meter_clock_commands.h"
#include "meter/meter_clock_view.h"
#include "meter/session.h"

namespace kamt {
namespace {

constexpr std::string_view kTimeFormat = "DD.MM.YYYY HH:MM:SS";

// The time as one argument or as two (date, time): "09.03.2021 12:05:30".
std::string TimeArgument(const std::vector<std::string>& args) {
  return args.size() == 3 ? args[1] + " " + args[2] : args.at(1);
}

// Reads `digits` (at least `least`) decimal digits at text[i].
std::optional<int> Digits(std::string_view text, std::size_t& i, std::size_t least, std::size_t most) {
  int value = 0;
  std::size_t n = 0;
  for (; i < text.size() && n < most && text[i] >= '0' && text[i] <= '9'; ++i, ++n) value = value * 10 + (text[i] - '0');
  return n >= least ? std::optional<int>(value) : std::nullopt;
}

bool Expect(std::string_view text, std::size_t& i, char c) { return i < text.size() && text[i++] == c; }

// A real date of the years the window takes (2000 to 3000) and a time of day.
std::optional<LocalDateTime> ParseTime(std::string_view text) {
  LocalDateTime t;
  std::size_t i = 0;
  const auto day = Digits(text, i, 1, 2);
  const auto month = Expect(text, i, '.') ? Digits(text, i, 1, 2) : std::nullopt;
  const auto year = Expect(text, i, '.') ? Digits(text, i, 4, 4) : std::nullopt;
  const auto hour = Expect(text, i, ' ') ? Digits(text, i, 1, 2) : std::nullopt;
  const auto minute = Expect(text, i, ':') ? Digits(text, i, 1, 2) : std::nullopt;
  const auto second = Expect(text, i, ':') ? Digits(text, i, 1, 2) : std::nullopt;
  if (!day || !month || !year || !hour || !minute || !second || i != text.size()) return std::nullopt;
  t = {*year, *month, *day, *hour, *minute, *second};
  if (!WallSeconds(t) || t.year < 2000 || t.year > 3000) return std::nullopt;
  return t;
}

void PrintClock(CliContext& c) {
  const ConsoleWindow& w = c.window;
  c.out << w.Text("Day_Edit") << '.' << w.Text("Month_Edit") << '.' << w.Text("Year_Edit") << ' '
        << w.Text("Hour_Edit") << ':' << w.Text("Min_Edit") << ':' << w.Text("Sec_Edit") << '\n'
        << w.Text("DayOfWeek_ComboBox") << '\n'
        << w.Text("ClockDiff_Label") << '\n';
}

void PrintClockJson(CliContext& c, const std::optional<LocalDateTime>& computer) {
  const MeterClockRecord& m = c.session.MeterClock;
  const auto meter = WallSeconds({m.year, m.month, m.day, m.hours, m.minutes, m.seconds});
  const auto pc = computer ? WallSeconds(*computer) : std::nullopt;
  const auto ahead = meter && pc ? std::optional<long long>(*meter - *pc) : std::nullopt;
  c.out << ClockJson(m, c.window.Text("DayOfWeek_ComboBox"), ahead);
}

}  // namespace

std::string CheckClockArgs(const std::vector<std::string>& args) {
  const std::string& action = args.at(0);
  if (action == "read") return args.size() == 1 ? std::string() : "clock read takes nothing more";
  if (action != "write") return "clock takes read or write";
  if (args.size() == 1) return "clock write takes \"" + std::string(kTimeFormat) + "\" or --now";
  if (args.size() == 2 && args[1] == "--now") return {};
  if (!ParseTime(TimeArgument(args))) {
    return "clock write takes a real date and time of 2000 to 3000 as \"" + std::string(kTimeFormat) + "\", or --now";
  }
  return {};
}

bool RunClockCommand(CliContext& c) {
  FillComboLists(c.window);
  if (c.args.at(0) == "read") {
    // The computer's clock as the read compares it, for the difference in seconds.
    std::optional<LocalDateTime> compared;
    const auto computerTime = c.session.computerTime;
    c.session.computerTime = [&] { return *(compared = computerTime()); };
    const bool read = ReadTime_ButtonClick(c.session);
    c.session.computerTime = computerTime;
    if (!read) return false;
    if (c.json) {
      PrintClockJson(c, compared);
    } else {
      PrintClock(c);
    }
    return true;
  }
  if (c.args.at(1) == "--now") {
    PcTime_ButtonClick(c.session);
  } else {
    MeterClockRecord typed = ClockOf(ParseTime(TimeArgument(c.args)).value());
    ShowMeterClock(typed, c.window);
  }
  return RunAndReport(c, WriteTime_ButtonClick);
}

}  // namespace kamt
