#include <gtest/gtest.h>

#include <array>

#include "fake_window.h"
#include "meter/current_data.h"
#include "meter/registers.h"

namespace kamt {
namespace {

// A current-data block built register by register, as the meter lays it out.
class Block {
 public:
  Block& Status(std::uint16_t low, std::uint16_t high) { return Set(0, low).Set(1, high); }
  Block& Set(std::size_t reg, std::uint16_t v) {
    RegisterWriter(bytes).U16(reg, v);
    return *this;
  }
  Block& Float(std::size_t reg, float v) {
    RegisterWriter(bytes).Float(reg, v);
    return *this;
  }
  Block& U32(std::size_t reg, std::uint32_t v) {
    RegisterWriter(bytes).U32(reg, v);
    return *this;
  }
  Block& U64(std::size_t reg, std::uint64_t v) {
    RegisterWriter(bytes).U64(reg, v);
    return *this;
  }
  CurrentDataRecord Decode() const { return DecodeCurrentData(bytes); }
  CurrentDataTexts Texts(const char* sep = ",") const { return FormatCurrentData(Decode(), sep); }

  std::array<std::uint8_t, kCurrentDataSize> bytes{};
};

TEST(DecodeCurrentData, TakesEveryFieldFromItsRegisters) {
  Block b;
  b.Status(0x4001, 0x0010).Float(2, 12.5f).Set(6, 2).Set(9, 1);
  b.U64(17, 0x0000000100000002ULL).U64(21, 77).U32(25, 3600).U32(27, 7200);
  b.Set(29, 1234).Set(30, 720).Set(31, 62).Set(32, 24);
  b.Set(37, 5).Set(38, 7).Set(39, 9).Set(40, 1).Set(41, 2).Set(42, 2026);
  b.Float(43, 6.4f).Float(45, -12.0f).Set(47, 2);
  const CurrentDataRecord d = b.Decode();
  EXPECT_EQ(d.Status, 0x00104001u);  // the first register holds the low half
  EXPECT_EQ(d.Flow, 12.5f);
  EXPECT_EQ(d.PlusDecimals, 2);
  EXPECT_EQ(d.MinusDecimals, 1);
  EXPECT_EQ(d.PlusCounter, 0x0000000100000002ULL);
  EXPECT_EQ(d.MinusCounter, 77u);
  EXPECT_EQ(d.WorkSeconds, 3600u);
  EXPECT_EQ(d.RunSeconds, 7200u);
  EXPECT_EQ(d.SerialNumber, 1234);
  EXPECT_EQ(d.HourRecords, 720);
  EXPECT_EQ(d.DayRecords, 62);
  EXPECT_EQ(d.MonthRecords, 24);
  EXPECT_EQ(d.Seconds, 5);
  EXPECT_EQ(d.Year, 2026);
  EXPECT_EQ(d.Pressure, 6.4f);
  EXPECT_EQ(d.Temperature, -12.0f);
  EXPECT_EQ(d.SensorType, 2);
}

struct CounterCase {
  std::uint32_t value;
  std::uint16_t decimals;
  const char* text;
};

void PrintTo(const CounterCase& c, std::ostream* os) { *os << c.value << "/" << c.decimals; }

class CounterFormat : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterFormat, UsesAPointAndTheCounterDecimals) {
  EXPECT_EQ(FormatCounter(GetParam().value, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, CounterFormat,
                         ::testing::Values(CounterCase{123456, 2, "1234.56"}, CounterCase{123405, 2, "1234.05"},
                                           CounterCase{123400, 2, "1234.00"}, CounterCase{1234, 1, "123.4"},
                                           CounterCase{1234, 0, "1234"}, CounterCase{123456, 5, "1234.56"},
                                           CounterCase{7, 2, "0.07"}, CounterCase{4294967295u, 2, "42949672.95"}));

TEST(FormatHours, HundredthsOfAnHourAreTruncated) {
  EXPECT_EQ(FormatHours(3600), "1.00");
  EXPECT_EQ(FormatHours(5400), "1.50");
  EXPECT_EQ(FormatHours(3635), "1.00");
  EXPECT_EQ(FormatHours(3599), "0.99");
  EXPECT_EQ(FormatHours(36 * 5), "0.05");
}

TEST(FormatCurrentData, CounterDisplayUsesTheLowThirtyTwoBits) {
  Block b;
  b.Set(6, 2).U64(17, 0x0000000700000000ULL + 123456);
  EXPECT_EQ(b.Texts().Label2, "Счетчик '+': 1234.56 м3");
  b.Set(9, 0).U64(21, 1234);
  EXPECT_EQ(b.Texts().Label3, "Счетчик '-': 1234 м3");
}

TEST(FormatCurrentData, FlowSignComesFromTheDirectionBit) {
  Block b;
  b.Float(2, 12.345f).Set(6, 2);
  EXPECT_EQ(b.Texts().Label1, "Расход: -12,35 м3/час");
  b.Status(0x0001, 0);
  EXPECT_EQ(b.Texts().Label1, "Расход: 12,35 м3/час");
  EXPECT_EQ(b.Texts(".").Label1, "Расход: 12.35 м3/час");
}

TEST(FormatCurrentData, FlowDecimalsFollowTheForwardCounter) {
  Block b;
  b.Status(1, 0).Float(2, 3.25f);
  EXPECT_EQ(b.Set(6, 0).Texts().Label1, "Расход: 3 м3/час");
  EXPECT_EQ(b.Set(6, 1).Texts().Label1, "Расход: 3,3 м3/час");
  EXPECT_EQ(b.Set(6, 9).Texts().Label1, "Расход: 3,25 м3/час");
}

TEST(FormatCurrentData, NegativeFlowIsShownAsRead) {
  Block b;
  b.Float(2, -1.5f).Set(6, 2);
  EXPECT_EQ(b.Texts().Label1, "Расход: --1,50 м3/час");
}

TEST(FormatCurrentData, StateFirstMatchWins) {
  Block b;
  EXPECT_EQ(b.Texts().Label5, "Состояние: норм. работа");
  EXPECT_EQ(b.Status(0x0001, 0).Texts().Label5, "Состояние: норм. работа");
  EXPECT_EQ(b.Status(0xC000, 0).Texts().Label5, "Состояние: нет сигн. в канале 1");
  EXPECT_EQ(b.Status(0x8000, 0).Texts().Label5, "Состояние: нет сигн. в канале 2");
  EXPECT_EQ(b.Status(0xC000, 0x0010).Texts().Label5, "Состояние: нет сигнала");
}

TEST(FormatCurrentData, SensorTextByType) {
  Block b;
  b.Float(43, 6.4f).Float(45, 21.5f);
  EXPECT_EQ(b.Set(47, 0).Texts().Pressure_Label, "Датчик отключен");
  EXPECT_EQ(b.Set(47, 3).Texts().Pressure_Label, "Датчик отключен");
  EXPECT_EQ(b.Set(47, 1).Texts().Pressure_Label, "Давление: 6,40 кг/см2");
  EXPECT_EQ(b.Set(47, 2).Texts().Pressure_Label, "Температура: 22 градС");
}

TEST(FormatCurrentData, TimesSerialAndClock) {
  Block b;
  b.U32(25, 5400).U32(27, 3599).Set(29, 65535);
  b.Set(37, 5).Set(38, 7).Set(39, 9).Set(40, 1).Set(41, 2).Set(42, 2026);
  const CurrentDataTexts t = b.Texts();
  EXPECT_EQ(t.Label4, "Время работы: 1.50 час");
  EXPECT_EQ(t.Label7, "Наработка: 0.99 час");
  EXPECT_EQ(t.Label6, "Зав. номер: 65535");
  EXPECT_EQ(t.CurTime_Label, "Текущее время: 01.02.2026 09:07:05");
}

TEST(FormatCurrentData, ClockFieldsAreSignedAndNeverCut) {
  Block b;
  b.Set(37, 0xFFFF).Set(40, 123).Set(42, 7);
  EXPECT_EQ(b.Texts().CurTime_Label, "Текущее время: 123.00.0007 00:00:-1");
}

TEST(ShowCurrentData, ArchiveCountsAndButtons) {
  Block b;
  b.Set(30, 0).Set(31, 1).Set(32, 2);
  test::FakeWindow w;
  ShowCurrentData(b.Decode(), w, ",");
  EXPECT_EQ(w.Text("HourNum_Label"), "Всего записей:-1");
  EXPECT_EQ(w.Text("HourNum_Edit"), "-1");
  EXPECT_EQ(w.Text("DayNum_Label"), "Всего записей:0");
  EXPECT_EQ(w.Text("MonthNum_Edit"), "1");
  EXPECT_FALSE(w.Enabled("Button2"));
  EXPECT_FALSE(w.Enabled("Button3"));
  EXPECT_TRUE(w.Enabled("Button4"));
}

TEST(ShowCurrentData, WritesEveryLabelOfTheGroup) {
  Block b;
  test::FakeWindow w;
  ShowCurrentData(b.Decode(), w, ",");
  for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label7", "Pressure_Label", "Label5", "Label6",
                            "CurTime_Label"}) {
    EXPECT_FALSE(w.Text(label).empty()) << label;
  }
}

}  // namespace
}  // namespace kamt
