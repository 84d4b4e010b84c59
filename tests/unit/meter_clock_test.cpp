#include <gtest/gtest.h>
#include <tuple>

#include "hex.h"
#include "holding_answers.h"
#include "meter/meter_clock_calendar.h"
#include "meter/meter_clock_commands.h"
#include "meter/meter_clock_view.h"

namespace kamt {
namespace {

using test::Hex;
using test::ToHex;

// 12:05:30, Tuesday, 9 March 2021, in register order.
const std::vector<std::uint8_t> kTuesday = Hex("00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5");

MeterClockRecord Decoded(const std::vector<std::uint8_t>& bytes) {
  return DecodeMeterClock(test::AreaOf<kMeterClockSize>(bytes));
}

TEST(MeterClockCodec, SignedFieldsInRegisterOrderHighByteFirst) {
  const MeterClockRecord c = Decoded(kTuesday);
  EXPECT_EQ(std::tuple(c.seconds, c.minutes, c.hours, c.day, c.dayOfWeek, c.month, c.year),
            std::tuple(30, 5, 12, 9, 2, 3, 2021));
  EXPECT_EQ(Decoded(Hex("FF FF")).seconds, -1);
  const auto bytes = EncodeMeterClock(c);
  EXPECT_EQ(ToHex({bytes.begin(), bytes.end()}), ToHex(kTuesday));
}

class ShowMeterClockTest : public ::testing::Test {
 protected:
  MeterClockRecord Show(const std::vector<std::uint8_t>& bytes) {
    MeterClockRecord c = Decoded(bytes);
    ShowMeterClock(c, window);
    return c;
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
};

TEST_F(ShowMeterClockTest, FillsTheEditsZeroFilled) {
  Show(kTuesday);
  for (const auto& [control, text] :
       {std::pair{"Hour_Edit", "12"}, {"Min_Edit", "05"}, {"Sec_Edit", "30"}, {"Day_Edit", "09"},
        {"Month_Edit", "03"}, {"Year_Edit", "2021"}, {"DayOfWeek_ComboBox", "Вторник"}}) {
    EXPECT_EQ(window.Text(control), text) << control;
  }
  Show(Hex("FF FB 00 00 00 00 00 01 00 00 00 01 00 15"));
  EXPECT_EQ(window.Text("Sec_Edit"), "-5");
  EXPECT_EQ(window.Text("Year_Edit"), "0021");
}

// 7 is the list's empty item; beyond the list the meter's value is taken as Sunday.
TEST_F(ShowMeterClockTest, DayOfWeekEdges) {
  const struct {
    std::uint8_t high, low;
    int kept, index;
    const char* text;
  } cases[] = {{0, 7, 7, 7, ""}, {0, 8, 0, 0, "Воскресенье"}, {0xFF, 0xFF, -1, -1, ""}};
  for (const auto& c : cases) {
    auto bytes = kTuesday;
    bytes[8] = c.high;
    bytes[9] = c.low;
    EXPECT_EQ(Show(bytes).dayOfWeek, c.kept) << int{c.low};
    EXPECT_EQ(window.ItemIndex("DayOfWeek_ComboBox"), c.index) << int{c.low};
    EXPECT_EQ(window.Text("DayOfWeek_ComboBox"), c.text) << int{c.low};
  }
}

class ParseClockInputTest : public ShowMeterClockTest {
 protected:
  ParseClockInputTest() { Show(kTuesday); }
  MeterClockRecord clock;
};

// Out of range is replaced silently, as the meter would take it.
TEST_F(ParseClockInputTest, OutOfRangeIsReplacedSilently) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"Hour_Edit", "24", 0},      {"Hour_Edit", "23", 23},     {"Hour_Edit", "-1", 0}, {"Min_Edit", "60", 0},
      {"Sec_Edit", "60", 0},       {"Day_Edit", "32", 1},       {"Day_Edit", "0", 0},       {"Month_Edit", "13", 1},
      {"Year_Edit", "1999", 2014}, {"Year_Edit", "3001", 2014}, {"Year_Edit", "2000", 2000},
      {"Year_Edit", "3000", 3000}};
  for (const auto& [control, text, expected] : cases) {
    Show(kTuesday);
    window.SetText(control, text);
    ASSERT_TRUE(ParseClockInput(window, clock)) << control << '=' << text;
    const std::map<std::string, int> sent = {{"Hour_Edit", clock.hours}, {"Min_Edit", clock.minutes},
                                             {"Sec_Edit", clock.seconds}, {"Day_Edit", clock.day},
                                             {"Month_Edit", clock.month}, {"Year_Edit", clock.year}};
    EXPECT_EQ(sent.at(control), expected) << control << '=' << text;
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ParseClockInputTest, NotANumberStopsWithTheFieldsMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"Hour_Edit", "Ошибка ввода часа"}, {"Min_Edit", "Ошибка ввода минут"},   {"Sec_Edit", "Ошибка ввода секунд"},
      {"Day_Edit", "Ошибка ввода даты"},  {"Month_Edit", "Ошибка ввода месяца"}, {"Year_Edit", "Ошибка ввода года"}};
  for (const auto& [control, message] : cases) {
    Show(kTuesday);
    window.messages.clear();
    window.SetText(control, "65536");
    EXPECT_FALSE(ParseClockInput(window, clock)) << control;
    EXPECT_EQ(window.messages, std::vector<std::string>{message}) << control;
  }
}

TEST_F(ParseClockInputTest, TheFirstBadEditInOrderIsReported) {
  window.SetText("Year_Edit", "x");
  window.SetText("Sec_Edit", "x");
  EXPECT_FALSE(ParseClockInput(window, clock));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода секунд"});
}

TEST_F(ParseClockInputTest, TheChosenDayOfWeekIsSentElseTheDatesOwn) {
  window.SetItemIndex("DayOfWeek_ComboBox", 5);  // even though the date disagrees
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(clock.dayOfWeek, 5);
  window.SetItemIndex("DayOfWeek_ComboBox", -1);
  window.SetText("Day_Edit", "1");
  window.SetText("Month_Edit", "1");
  window.SetText("Year_Edit", "2000");  // the form's first state: a Saturday
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(clock.dayOfWeek, 6);
  window.SetText("Day_Edit", "31");
  window.SetText("Month_Edit", "4");  // no such day: the list's empty item, never 0xFFFF
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(clock.dayOfWeek, 7);
}

TEST(Calendar, DaysOfWeekAndRealDates) {
  const std::tuple<int, int, int, std::optional<int>> days[] = {
      {1970, 1, 1, 4}, {2000, 2, 29, 2}, {3000, 1, 1, 3}, {1900, 2, 29, std::nullopt}, {2023, 2, 29, std::nullopt},
      {2023, 0, 1, std::nullopt}, {2023, 13, 1, std::nullopt}, {2023, 4, 31, std::nullopt}};
  for (const auto& [year, month, day, dayOfWeek] : days) {
    EXPECT_EQ(DayOfWeek(year, month, day), dayOfWeek) << year << '-' << month << '-' << day;
  }
  EXPECT_EQ(WallSeconds({1970, 1, 2, 0, 0, 1}), 86401);
  EXPECT_EQ(WallSeconds({2021, 3, 9, 24, 0, 0}), std::nullopt);
  EXPECT_EQ(WallSeconds({2021, 3, 9, 0, 60, 0}), std::nullopt);
}

// Positive when the meter is ahead of the computer; unknown when either clock is impossible.
TEST(ClockDifferenceText, SaysHowFarTheMeterIsAhead) {
  const std::pair<LocalDateTime, const char*> cases[] = {
      {{2021, 3, 9, 12, 5, 30}, "0 с"},           {{2021, 3, 9, 12, 6, 0}, "−30 с"},
      {{2021, 3, 9, 13, 10, 33}, "−1 ч 05 мин 03 с"}, {{2021, 3, 9, 12, 0, 0}, "+5 мин 30 с"},
      {{2021, 3, 8, 12, 5, 29}, "+1 сут 00 ч 00 мин 01 с"}, {{2021, 2, 30, 0, 0, 0}, "неизвестно"}};
  for (const auto& [computer, text] : cases) {
    EXPECT_EQ(ClockDifferenceText(Decoded(kTuesday), computer),  // 09.03.2021 12:05:30
              std::string("Расхождение с часами компьютера: ") + text);
  }
  MeterClockRecord impossible = Decoded(kTuesday);
  impossible.month = 13;
  EXPECT_EQ(ClockDifferenceText(impossible, {2021, 3, 9, 12, 5, 30}), "Расхождение с часами компьютера: неизвестно");
}

class ClockCommandTest : public ShowMeterClockTest {
 protected:
  ClockCommandTest() { rig.session.computerTime = [this] { return now; }; }
  LocalDateTime now{2021, 3, 9, 12, 5, 18};
};

// The difference is taken when the answer has come, not when the request went out.
TEST_F(ClockCommandTest, ReadShowsTheClockAndItsDifference) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  rig.port.onWrite = [&](auto) { now.seconds = 0; };
  EXPECT_TRUE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.port.written.at(0)), ToHex(test::WithCrc(Hex("01 03 00 08 00 07"))));
  EXPECT_EQ(window.Text("Hour_Edit"), "12");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +30 с");
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Чтение времени и даты", "panel1 Данные считаны"}));
  EXPECT_EQ(window.log.front(), "GroupBox1 off");
  EXPECT_EQ(window.log.back(), "GroupBox8 on");
}

TEST_F(ClockCommandTest, FailedReadLeavesEditsAndDifference) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  ASSERT_TRUE(ReadTime_ButtonClick(rig.session));
  window.SetText("Hour_Edit", "07");
  rig.port.ReplyWith(test::WithCrc(Hex("01 83 02")));
  now.minutes = 50;
  EXPECT_FALSE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(window.Text("Hour_Edit"), "07");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +12 с");
  EXPECT_TRUE(window.Enabled("GroupBox8"));
}

// Invalid input sends nothing; no command starts while the write waits for its answer.
TEST_F(ClockCommandTest, WriteSendsTheSevenRegistersOfValidInputAlone) {
  Show(kTuesday);
  window.SetText("Hour_Edit", "ab");
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода часа"});
  window.SetText("Hour_Edit", "12");
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) { EXPECT_FALSE(ReadTime_ButtonClick(rig.session) || PcTime_ButtonClick(rig.session)); }
  };
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  ASSERT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(ToHex(rig.port.written[0]), ToHex(test::WithCrc(Hex("01 10 00 08 00 07 0E " + ToHex(kTuesday)))));
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Запись времени и даты", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty());
  EXPECT_EQ(window.Text("Hour_Edit"), "12");
  EXPECT_GT(calls, 0);
}

TEST_F(ClockCommandTest, ComputerTimeFillsTheEditsForTheUserToWrite) {
  now = {2024, 12, 29, 8, 4, 3};
  EXPECT_TRUE(PcTime_ButtonClick(rig.session));
  EXPECT_EQ(window.Text("DayOfWeek_ComboBox"), "Воскресенье");
  EXPECT_TRUE(rig.port.written.empty());
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.port.written[0]), ToHex(test::WithCrc(Hex("01 10 00 08 00 07 0E 00 03 00 04 00 08 00 1D "
                                                                  "00 00 00 0C 07 E8"))));
}

}  // namespace
}  // namespace kamt
