#include <gtest/gtest.h>

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

std::array<std::uint8_t, kMeterClockSize> Registers(const std::vector<std::uint8_t>& bytes) {
  return test::AreaOf<kMeterClockSize>(bytes);
}

TEST(MeterClockCodec, DecodesSignedFieldsInRegisterOrder) {
  const MeterClockRecord c = DecodeMeterClock(Registers(kTuesday));
  EXPECT_EQ(c.seconds, 30);
  EXPECT_EQ(c.minutes, 5);
  EXPECT_EQ(c.hours, 12);
  EXPECT_EQ(c.day, 9);
  EXPECT_EQ(c.dayOfWeek, 2);
  EXPECT_EQ(c.month, 3);
  EXPECT_EQ(c.year, 2021);
  EXPECT_EQ(DecodeMeterClock(Registers(Hex("FF FF"))).seconds, -1);
}

TEST(MeterClockCodec, EncodesHighByteFirst) {
  const auto bytes = EncodeMeterClock(DecodeMeterClock(Registers(kTuesday)));
  EXPECT_EQ(ToHex({bytes.begin(), bytes.end()}), ToHex(kTuesday));
}

class ShowMeterClockTest : public ::testing::Test {
 protected:
  MeterClockRecord Show(std::vector<std::uint8_t> bytes) {
    MeterClockRecord c = DecodeMeterClock(Registers(bytes));
    ShowMeterClock(c, rig.window);
    return c;
  }
  test::MainWindowRig rig;
};

TEST_F(ShowMeterClockTest, FillsTheEditsZeroFilled) {
  Show(kTuesday);
  EXPECT_EQ(rig.window.Text("Hour_Edit"), "12");
  EXPECT_EQ(rig.window.Text("Min_Edit"), "05");
  EXPECT_EQ(rig.window.Text("Sec_Edit"), "30");
  EXPECT_EQ(rig.window.Text("Day_Edit"), "09");
  EXPECT_EQ(rig.window.Text("Month_Edit"), "03");
  EXPECT_EQ(rig.window.Text("Year_Edit"), "2021");
  EXPECT_EQ(rig.window.Text("DayOfWeek_ComboBox"), "Вторник");
}

TEST_F(ShowMeterClockTest, ShortYearAndNegativeFields) {
  Show(Hex("FF FB 00 00 00 00 00 01 00 00 00 01 00 15"));
  EXPECT_EQ(rig.window.Text("Sec_Edit"), "-5");
  EXPECT_EQ(rig.window.Text("Year_Edit"), "0021");
}

TEST_F(ShowMeterClockTest, DayOfWeekBeyondTheListIsSunday) {
  auto bytes = kTuesday;
  bytes[9] = 9;
  EXPECT_EQ(Show(bytes).dayOfWeek, 0);
  EXPECT_EQ(rig.window.ItemIndex("DayOfWeek_ComboBox"), 0);
  EXPECT_EQ(rig.window.Text("DayOfWeek_ComboBox"), "Воскресенье");
  bytes[9] = 8;
  EXPECT_EQ(Show(bytes).dayOfWeek, 0);
}

TEST_F(ShowMeterClockTest, DayOfWeek7IsTheEmptyItem) {
  auto bytes = kTuesday;
  bytes[9] = 7;
  EXPECT_EQ(Show(bytes).dayOfWeek, 7);
  EXPECT_EQ(rig.window.ItemIndex("DayOfWeek_ComboBox"), 7);
  EXPECT_EQ(rig.window.Text("DayOfWeek_ComboBox"), "");
}

TEST_F(ShowMeterClockTest, NegativeDayOfWeekSelectsNothing) {
  auto bytes = kTuesday;
  bytes[8] = 0xFF;
  bytes[9] = 0xFF;
  Show(bytes);
  EXPECT_EQ(rig.window.ItemIndex("DayOfWeek_ComboBox"), -1);
}

// ParseClockInput over edits set by hand.
class ParseClockInputTest : public ::testing::Test {
 protected:
  ParseClockInputTest() {
    MeterClockRecord c = DecodeMeterClock(Registers(kTuesday));
    ShowMeterClock(c, window);
  }
  std::string Encoded() {
    const auto bytes = EncodeMeterClock(clock);
    return ToHex({bytes.begin(), bytes.end()});
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
  MeterClockRecord clock;
};

TEST_F(ParseClockInputTest, WhatIsShownIsWhatIsSent) {
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(Encoded(), ToHex(kTuesday));
}

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
                      ReplacementCase{"Hour_Edit", "65536", 0}, ReplacementCase{"Hour_Edit", "65559", 23},
                      ReplacementCase{"Hour_Edit", "-1", 0}, ReplacementCase{"Min_Edit", "60", 0},
                      ReplacementCase{"Min_Edit", "59", 59}, ReplacementCase{"Sec_Edit", "75", 0},
                      ReplacementCase{"Day_Edit", "32", 1}, ReplacementCase{"Day_Edit", "0", 0},
                      ReplacementCase{"Day_Edit", "31", 31}, ReplacementCase{"Month_Edit", "13", 1},
                      ReplacementCase{"Month_Edit", "0", 0}, ReplacementCase{"Year_Edit", "1999", 2014},
                      ReplacementCase{"Year_Edit", "3001", 2014}, ReplacementCase{"Year_Edit", "2000", 2000},
                      ReplacementCase{"Year_Edit", "3000", 3000}, ReplacementCase{"Year_Edit", "67536", 2000},
                      ReplacementCase{"Year_Edit", " 2024 ", 2024}));

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
  window.messages.clear();
  window.SetText(GetParam().control, "4294967296");  // beyond 32 bits is no number either
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

TEST_F(ParseClockInputTest, TheChosenDayOfWeekIsSentEvenIfTheDateDisagrees) {
  window.SetItemIndex("DayOfWeek_ComboBox", 5);
  ASSERT_TRUE(ParseClockInput(window, clock));
  EXPECT_EQ(clock.dayOfWeek, 5);
}

TEST_F(ParseClockInputTest, NoDayOfWeekChosenSendsTheDatesOwn) {
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
  EXPECT_EQ(DayOfWeek(2021, 3, 9), 2);
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
  EXPECT_EQ(DayOfWeek(2024, 12, 29), 0);
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
  const MeterClockRecord meter = DecodeMeterClock(Registers(kTuesday));  // 09.03.2021 12:05:30
  EXPECT_EQ(ClockDifferenceText(meter, GetParam().computer),
            std::string("Расхождение с часами компьютера: ") + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClockDifference,
                         ::testing::Values(DifferenceCase{{2021, 3, 9, 12, 5, 30}, "0 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 5, 18}, "+12 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 6, 0}, "−30 с"},
                                           DifferenceCase{{2021, 3, 9, 13, 10, 33}, "−1 ч 05 мин 03 с"},
                                           DifferenceCase{{2021, 3, 9, 12, 0, 0}, "+5 мин 30 с"},
                                           DifferenceCase{{2021, 3, 8, 12, 5, 29}, "+1 сут 00 ч 00 мин 01 с"},
                                           DifferenceCase{{2022, 3, 9, 12, 5, 30}, "−365 сут 00 ч 00 мин 00 с"},
                                           DifferenceCase{{2021, 2, 30, 0, 0, 0}, "неизвестно"}));

TEST(ClockDifferenceText, AnImpossibleMeterClockHasNoDifference) {
  MeterClockRecord meter = DecodeMeterClock(Registers(kTuesday));
  meter.month = 13;
  EXPECT_EQ(ClockDifferenceText(meter, {2021, 3, 9, 12, 5, 30}), "Расхождение с часами компьютера: неизвестно");
}

class ClockCommandTest : public ::testing::Test {
 protected:
  ClockCommandTest() {
    rig.session.ComputerTime = [this] { return now; };
  }
  test::MainWindowRig rig;
  test::FakeWindow& window = rig.window;
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
  MeterClockRecord shown = DecodeMeterClock(Registers(kTuesday));
  ShowMeterClock(shown, window);
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  ASSERT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(ToHex(rig.port.written[0]), ToHex(test::WithCrc(Hex("01 10 00 08 00 07 0E " + ToHex(kTuesday)))));
  EXPECT_EQ(rig.port.written[0].size(), 23u);
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Запись времени и даты", "panel1 Запись выполнена"}));
  EXPECT_TRUE(window.Entries("GroupBox").empty());
}

TEST_F(ClockCommandTest, WriteOverTcpSetsNoProgressText) {
  rig.UseTcp();
  MeterClockRecord shown = DecodeMeterClock(Registers(kTuesday));
  ShowMeterClock(shown, window);
  rig.socket.responders.push_back(test::TcpAnswer(Hex("10 00 08 00 07")));
  EXPECT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 15 FF 10 00 08 00 07 0E " + ToHex(kTuesday));
  EXPECT_EQ(window.Entries("panel1"), std::vector<std::string>{"panel1 Запись выполнена"});
}

TEST_F(ClockCommandTest, WriteFailuresAreReported) {
  MeterClockRecord shown = DecodeMeterClock(Registers(kTuesday));
  ShowMeterClock(shown, window);
  rig.port.ReplySilence();
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Устройство не отвечает!"});
  EXPECT_EQ(window.StatusText(1), "Ошибка записи");
  rig.port.ReplyWith(test::WithCrc(Hex("01 90 03")));
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(window.messages.back(), "Ошибка в данных!");
}

TEST_F(ClockCommandTest, BadEditSendsNothing) {
  window.SetText("Hour_Edit", "ab");
  EXPECT_FALSE(WriteTime_ButtonClick(rig.session));
  EXPECT_TRUE(rig.port.written.empty());
  EXPECT_EQ(window.messages, std::vector<std::string>{"Ошибка ввода часа"});
}

TEST_F(ClockCommandTest, NoCommandStartsDuringTheWritesExchange) {
  MeterClockRecord shown = DecodeMeterClock(Registers(kTuesday));
  ShowMeterClock(shown, window);
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
  EXPECT_EQ(window.Text("Hour_Edit"), "08");
  EXPECT_EQ(window.Text("Min_Edit"), "04");
  EXPECT_EQ(window.Text("Sec_Edit"), "03");
  EXPECT_EQ(window.Text("Day_Edit"), "29");
  EXPECT_EQ(window.Text("Month_Edit"), "12");
  EXPECT_EQ(window.Text("Year_Edit"), "2024");
  EXPECT_EQ(window.Text("DayOfWeek_ComboBox"), "Воскресенье");
  EXPECT_TRUE(rig.port.written.empty());
  rig.port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_TRUE(WriteTime_ButtonClick(rig.session));
  EXPECT_EQ(ToHex(rig.port.written[0]), ToHex(test::WithCrc(Hex("01 10 00 08 00 07 0E 00 03 00 04 00 08 00 1D "
                                                                  "00 00 00 0C 07 E8"))));
}

}  // namespace
}  // namespace kamt
