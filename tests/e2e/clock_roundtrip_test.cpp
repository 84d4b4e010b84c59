#include <cstdio>

#include "meter/meter_clock_calendar.h"
#include "meter_groups_fixture.h"

namespace kamt::test {
namespace {

// Seconds of "DD.MM.YYYY HH:MM:SS"; nothing when the line is not one.
std::optional<long long> SecondsOf(const std::string& line) {
  LocalDateTime t;
  char tail = 0;
  if (std::sscanf(line.c_str(), "%2d.%2d.%4d %2d:%2d:%2d%c", &t.day, &t.month, &t.year, &t.hours, &t.minutes,
                  &t.seconds, &tail) != 6) {
    return std::nullopt;
  }
  return WallSeconds(t);
}

class ClockOverBoth : public OverBothTransports {};

TEST_P(ClockOverBoth, WrittenTimeIsReadBackRunning) {
  const ProgramResult w = Run({"clock", "write", "15.06.2024 10:20:30"});
  ASSERT_EQ(w.exitCode, 0) << w.err;
  EXPECT_EQ(w.out, "Запись выполнена\n");
  const ProgramResult r = Run({"clock", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  const auto read = SecondsOf(lines[0]);
  ASSERT_TRUE(read) << lines[0];
  const long long written = *WallSeconds({2024, 6, 15, 10, 20, 30});
  EXPECT_GE(*read, written);
  EXPECT_LE(*read, written + 10);  // the meter's clock ran on between the two runs
  EXPECT_EQ(lines[1], "Суббота");
  EXPECT_TRUE(lines[2].starts_with("Расхождение с часами компьютера: −")) << lines[2];
  EXPECT_TRUE(Has(lines[2], " сут ")) << lines[2];
}

TEST_P(ClockOverBoth, TheComputersTimeSetsTheMeterWithinASecond) {
  ASSERT_EQ(Run({"clock", "write", "01.01.2030 00:00:00"}).exitCode, 0);
  ASSERT_EQ(Run({"clock", "write", "--now"}).exitCode, 0);
  const ProgramResult r = Run({"clock", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::regex_match(Lines(r.out).at(2), std::regex("Расхождение с часами компьютера: (0|\\+1|−1) с")))
      << r.out;
}

INSTANTIATE_TEST_SUITE_P(Transports, ClockOverBoth, ::testing::Values("serial", "tcp"), TransportName);

}  // namespace
}  // namespace kamt::test
