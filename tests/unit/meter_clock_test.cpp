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

// ParseClockInput over edits set by hand.
class ParseClockInputTest : public ShowMeterClockTest {
 protected:
  ParseClockInputTest() { Show(kTuesday); }
  MeterClockRecord clock;
};

struct ReplacementCase {
  const char* control;
  const char* text;
  int sent;
};

void PrintTo(const ReplacementCase& c, std::ostream* os) { *os << c.control << "=\"" << c.text << '"'; }

class ClockReplacement : public ParseClockInputTest, public ::testing::WithParamInterface<ReplacementCase> {};

TEST_P(ClockReplacement, OutOfRangeIsReplacedSilently) {
  window.SetText(GetParam().control, GetParam().text);
  ASSERT_TRUE(ParseClockInput(window, clock));
  const std::map<std::string, int> sent = {{"Hour_Edit", clock.hours},  {"Min_Edit", clock.minutes},
                                           {"Sec_Edit", clock.seconds}, {"Day_Edit", clock.day},
                                           {"Month_Edit", clock.month}, {"Year_Edit", clock.year}};
  EXPECT_EQ(sent.at(GetParam().control), GetParam().sent);
  EXPECT_TRUE(window.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockReplacement,
    ::testing::Values(ReplacementCase{"Hour_Edit", "24", 0}, ReplacementCase{"Hour_Edit", "23", 23},
                      ReplacementCase{"Hour_Edit", "65559", 23}, ReplacementCase{"Min_Edit", "60", 0},
                      ReplacementCase{"Min_Edit", "59", 59}, ReplacementCase{"Sec_Edit", "60", 0},
                      ReplacementCase{"Day_Edit", "32", 1}, ReplacementCase{"Day_Edit", "0", 0},
                      ReplacementCase{"Month_Edit", "13", 1}, ReplacementCase{"Year_Edit", "1999", 2014},
                      ReplacementCase{"Year_Edit", "3001", 2014}, ReplacementCase{"Year_Edit", "2000", 2000},
                      ReplacementCase{"Year_Edit", "3000", 3000}));

struct NotANumberCase {
  const char* control;
  const char* message;
};

void PrintTo(const NotANumberCase& c, std::ostream* os) { *os << c.control; }

class ClockNotANumber : public ParseClockInputTest, public ::testing::WithParamInterface<NotANumberCase> {};

TEST_P(ClockNotANumber, StopsWithTheFieldsMessage) {
  window.SetText(GetParam().control, "ab");
  EXPECT_FALSE(ParseClockInput(window, clock));
  EXPECT_EQ(window.messages, std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(Cases, ClockNotANumber,
                         ::testing::Values(NotANumberCase{"Hour_Edit", "Ошибка ввода часа"},
                                           NotANumberCase{"Min_Edit", "Ошибка ввода минут"},
                                           NotANumberCase{"Sec_Edit", "Ошибка ввода секунд"},
                                           NotANumberCase{"Day_Edit", "Ошибка ввода даты"},
                                           NotANumberCase{"Month_Edit", "Ошибка ввода месяца"},
                                           NotANumberCase{"Year_Edit", "Ошибка ввода года"}));

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
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
  EXPECT_EQ(DayOfWeek(3000, 1, 1), 3);
  EXPECT_EQ(DayOfWeek(1900, 2, 29), std::nullopt);
  EXPECT_EQ(DayOfWeek(2023, 2, 29), std::nullopt);
  EXPECT_EQ(DayOfWeek(2023, 0, 1), std::nullopt);
  EXPECT_EQ(DayOfWeek(2023, 13, 1), std::nullopt);
  EXPECT_EQ(DayOfWeek(2023, 4, 31), std::nullopt);
  EXPECT_EQ(WallSeconds({1970, 1, 2, 0, 0, 1}), 86401);
  EXPECT_EQ(WallSeconds({2021, 3, 9, 24, 0, 0}), std::nullopt);
  EXPECT_EQ(WallSeconds({2021, 3, 9, 0, 60, 0}), std::nullopt);
}

struct DifferenceCase {
  LocalDateTime computer;
  const char* text;
};

void PrintTo(const DifferenceCase& c, std::ostream* os) { *os << c.text; }

class ClockDifference : public ::testing::TestWithParam<DifferenceCase> {};

TEST_P(ClockDifference, IsTheMeterAheadOfTheComputer) {
  EXPECT_EQ(ClockDifferenceText(Decoded(kTuesday), GetParam().computer),  // 09.03.2021 12:05:30
            std::string("Расхождение с часами компьютера: ") + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClockDifference,
                         ::testing::Values(DifferenceCase{{2021, 3, 9, 12, 5, 30}, "0 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 5, 18}, "+12 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 6, 0}, "−30 с"},
                                           DifferenceCase{{2021, 3, 9, 13, 10, 33}, "−1 ч 05 мин 03 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 0, 0}, "+5 мин 30 с"},
                                           DifferenceCase{{2021, 3, 8, 12, 5, 29}, "+1 сут 00 ч 00 мин 01 с"},
                                           DifferenceCase{{2021, 2, 30, 0, 0, 0}, "неизвестно"}));

TEST(ClockDifferenceText, AnImpossibleMeterClockHasNoDifference) {
  MeterClockRecord meter = Decoded(kTuesday);
  meter.month = 13;
  EXPECT_EQ(ClockDifferenceText(meter, {2021, 3, 9, 12, 5, 30}), "Расхождение с часами компьютера: неизвестно");
}

class ClockCommandTest : public ShowMeterClockTest {
 protected:
  ClockCommandTest() { rig.session.ComputerTime = [this] { return now; }; }
  LocalDateTime now{2021, 3, 9, 12, 5, 18};
};

TEST_F(ClockCommandTest, ReadShowsTheClockAndItsDifference) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  EXPECT_TRUE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.port.written.at(0)), ToHex(test::WithCrc(Hex("01 03 00 08 00 07"))));
  EXPECT_EQ(window.Text("Hour_Edit"), "12");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +12 с");
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Чтение времени и даты", "panel1 Данные считаны"}));
  EXPECT_EQ(window.log.front(), "GroupBox1 off");
  EXPECT_EQ(window.log.back(), "GroupBox8 on");
}

TEST_F(ClockCommandTest, TheComputerIsAskedWhenTheAnswerHasCome) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  rig.port.onWrite = [&](auto) { now.second = 0; };  // the computer's clock moved on while waiting
  ASSERT_TRUE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +30 с");
}

TEST_F(ClockCommandTest, FailedReadLeavesEditsAndDifference) {
  rig.port.ReplyWith(test::ReadAnswer(kTuesday));
  ASSERT_TRUE(ReadTime_ButtonClick(rig.session));
  window.SetText("Hour_Edit", "07");
  rig.port.ReplyWith(test::WithCrc(Hex("01 83 02")));
  now.minute = 50;
  EXPECT_FALSE(ReadTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Недопустимый адрес данных!"});
  EXPECT_EQ(window.StatusText(1), "Ошибка чтения");
  EXPECT_EQ(window.Text("Hour_Edit"), "07");
  EXPECT_EQ(window.Text("ClockDiff_Label"), "Расхождение с часами компьютера: +12 с");
  EXPECT_TRUE(window.Enabled("GroupBox8"));
}

TEST_F(ClockCommandTest, WriteSendsTheSevenRegisters) {
  Show(kTuesday);
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  ASSERT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(ToHex(rig.port.written[0]), ToHex(test::WithCrc(Hex("01 10 00 08 00 07 0E " + ToHex(kTuesday)))));
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Запись времени и даты", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty());
}

TEST_F(ClockCommandTest, WriteOverTcpSetsNoProgressText) {
  rig.UseTcp();
  Show(kTuesday);
  rig.socket.responders.push_back(test::TcpAnswer(Hex("10 00 08 00 07")));
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 15 FF 10 00 08 00 07 0E " + ToHex(kTuesday));
  EXPECT_EQ(window.Entries("panel1"), std::vector<std::string>{"panel1 Запись выполнена"});
}

TEST_F(ClockCommandTest, WriteFailuresAreReported) {
  Show(kTuesday);
  window.SetText("Hour_Edit", "ab");
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_TRUE(rig.port.written.empty());
  window.SetText("Hour_Edit", "12");
  rig.port.ReplySilence();
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Ошибка ввода часа", "Устройство не отвечает!"}));
  EXPECT_EQ(window.StatusText(1), "Ошибка записи");
}

TEST_F(ClockCommandTest, NoCommandStartsDuringTheWritesExchange) {
  Show(kTuesday);
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  int calls = 0;
  window.onProcessEvents = [&] {
    if (calls++ == 0) {
      EXPECT_FALSE(ReadTime_ButtonClick(rig.session));
      EXPECT_FALSE(PcTime_ButtonClick(rig.session));
    }
  };
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(window.Text("Hour_Edit"), "12");
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
