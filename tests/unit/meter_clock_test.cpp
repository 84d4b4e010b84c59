// The meter's clock: its registers, its edits, the calendar and the three commands.
#include <gtest/gtest.h>
#include <map>
#include <tuple>

#include "hex.h"
#include "holding_answers.h"
#include "meter/meter_clock_calendar.h"
#include "meter/meter_clock_commands.h"
#include "meter/meter_clock_view.h"

namespace kamt {
namespace {

using namespace std::string_literals;
using test::Hex;
using test::ToHex;
using Texts = std::vector<std::string>;

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

class MeterClockTest : public ::testing::Test {
 protected:
  MeterClockTest() { rig.session.computerTime = [this] { return now; }; }
  MeterClockRecord Show(const std::vector<std::uint8_t>& bytes) {
    MeterClockRecord c = Decoded(bytes);
    ShowMeterClock(c, window);
    return c;
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
  MeterClockRecord clock;
  LocalDateTime now{2021, 3, 9, 12, 5, 18};
};

// Zero-filled; 7 is the list's empty item, and beyond the list the meter's value is Sunday.
TEST_F(MeterClockTest, ShowFillsTheEditsZeroFilled) {
  Show(kTuesday);
  for (const auto& [control, text] :
       {std::pair{"Hour_Edit", "12"}, {"Min_Edit", "05"}, {"Sec_Edit", "30"}, {"Day_Edit", "09"},
        {"Month_Edit", "03"}, {"Year_Edit", "2021"}, {"DayOfWeek_ComboBox", "Вторник"}}) {
    EXPECT_EQ(window.Text(control), text) << control;
  }
  Show(Hex("FF FB 00 00 00 00 00 01 00 00 00 01 00 15"));
  EXPECT_EQ(std::tuple(window.Text("Sec_Edit"), window.Text("Year_Edit")), std::tuple("-5"s, "0021"s));
  const std::tuple<std::uint8_t, std::uint8_t, int, int, const char*> days[] = {
      {0, 7, 7, 7, ""}, {0, 8, 0, 0, "Воскресенье"}, {0xFF, 0xFF, -1, -1, ""}};
  for (const auto& [high, low, kept, index, text] : days) {
    auto bytes = kTuesday;
    bytes[8] = high;
    bytes[9] = low;
    EXPECT_EQ(Show(bytes).dayOfWeek, kept) << int{low};
    EXPECT_EQ(std::tuple(window.ItemIndex("DayOfWeek_ComboBox"), window.Text("DayOfWeek_ComboBox")),
              std::tuple(index, std::string(text)));
  }
}

// Out of range is replaced silently, as the meter would take it.
TEST_F(MeterClockTest, InputOutOfRangeIsReplacedSilently) {
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

// Each edit in order: the first that holds no number stops the check with its message.
TEST_F(MeterClockTest, NotANumberStopsWithTheFirstFieldsMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"Year_Edit", "Ошибка ввода года"},  {"Month_Edit", "Ошибка ввода месяца"}, {"Day_Edit", "Ошибка ввода даты"},
      {"Sec_Edit", "Ошибка ввода секунд"}, {"Min_Edit", "Ошибка ввода минут"},   {"Hour_Edit", "Ошибка ввода часа"}};
  Show(kTuesday);
  for (const auto& [control, message] : cases) {
    window.messages.clear();
    window.SetText(control, "65536");
    EXPECT_FALSE(ParseClockInput(window, clock)) << control;
    EXPECT_EQ(window.messages, Texts{message}) << control;
  }
}

// The chosen day is sent even when the date disagrees; none chosen, the date's own, and for
// a date that does not exist the list's empty item, never 0xFFFF.
TEST_F(MeterClockTest, TheChosenDayOfWeekIsSentElseTheDatesOwn) {
  Show(kTuesday);
  window.SetItemIndex("DayOfWeek_ComboBox", 5);
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(clock.dayOfWeek, 5);
  window.SetItemIndex("DayOfWeek_ComboBox", -1);
  for (const auto& [day, month, dayOfWeek] : {std::tuple{"1", "1", 6}, {"31", "4", 7}}) {
    window.SetText("Year_Edit", "2000");
    window.SetText("Day_Edit", day);
    window.SetText("Month_Edit", month);
    ASSERT_TRUE(ParseClockInput(window, clock));
    EXPECT_EQ(clock.dayOfWeek, dayOfWeek);
  }
}

// The difference is taken when the answer has come, not when the request went out. A failed
// read leaves the edits and the difference as they were.
TEST_F(MeterClockTest, ReadShowsTheClockAndItsDifference) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  rig.port.onWrite = [&](auto) { now.seconds = 0; };
  EXPECT_TRUE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(rig.port.written, std::vector<std::vector<std::uint8_t>>{test::WithCrc(Hex("01 03 00 08 00 07"))});
  EXPECT_EQ(window.Text("Hour_Edit"), "12");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +30 с");
  EXPECT_EQ(window.Entries("panel1"), (Texts{"panel1 Чтение времени и даты", "panel1 Данные считаны"}));
  EXPECT_EQ(std::tuple(window.log.front(), window.log.back()), std::tuple("GroupBox1 off"s, "GroupBox8 on"s));
  window.SetText("Hour_Edit", "07");
  rig.port.ReplyWith(test::WithCrc(Hex("01 83 02")));
  now.minutes = 50;
  EXPECT_FALSE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(window.Text("Hour_Edit"), "07");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +30 с");
  EXPECT_TRUE(window.Enabled("GroupBox8"));
}

// The computer's time fills the edits for the user to write. Invalid input sends nothing; no
// command starts while the write waits for its answer, and the write locks no group.
TEST_F(MeterClockTest, WriteSendsTheSevenRegistersOfValidInputAlone) {
  now = {2024, 12, 29, 8, 4, 3};
  EXPECT_TRUE(PcTime_ButtonClick(rig.session));
  EXPECT_EQ(window.Text("DayOfWeek_ComboBox"), "Воскресенье");
  window.SetText("Hour_Edit", "ab");
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, Texts{"Ошибка ввода часа"});
  EXPECT_TRUE(rig.port.written.empty());
  window.SetText("Hour_Edit", "8");
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) { EXPECT_FALSE(ReadTime_ButtonClick(rig.session) || PcTime_ButtonClick(rig.session)); }
  };
  window.log.clear();
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(rig.port.written, std::vector<std::vector<std::uint8_t>>{test::WithCrc(Hex("01 10 00 08 00 07 0E 00 03 00 04 00 08 00 1D "
                                                            "00 00 00 0C 07 E8"))});
  EXPECT_EQ(window.Entries("panel1"), (Texts{"panel1 Запись времени и даты", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty());
  EXPECT_GT(calls, 0);
}

}  // namespace
}  // namespace kamt
