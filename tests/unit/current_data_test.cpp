#include <gtest/gtest.h>

#include <array>

#include "fake_window.h"
#include "meter/current_data.h"
#include "meter/registers.h"

namespace kamt {
namespace {

// A current-data block built register by register, as the meter lays it out.
struct Block {
  Block& Status(std::uint16_t low, std::uint16_t high) { return Set(0, low).Set(1, high); }
  Block& Set(std::size_t reg, std::uint16_t v) { RegisterWriter(bytes).U16(reg, v); return *this; }
  Block& Float(std::size_t reg, float v) { RegisterWriter(bytes).Float(reg, v); return *this; }
  Block& U32(std::size_t reg, std::uint32_t v) { RegisterWriter(bytes).U32(reg, v); return *this; }
  Block& U64(std::size_t reg, std::uint64_t v) { RegisterWriter(bytes).U64(reg, v); return *this; }
  CurrentDataRecord Decode() const { return DecodeCurrentData(bytes); }

  std::array<std::uint8_t, kCurrentDataSize> bytes{};
};

// The texts show every other field; these are the ones no text shows whole.
TEST(DecodeCurrentData, StatusHalvesAndWholeCounters) {
  const CurrentDataRecord d =
      Block().Status(0x4001, 0x0010).U64(17, 0x0000000100000002ULL).U64(21, 0x0300000000000004ULL).Decode();
  EXPECT_EQ(d.Status, 0x00104001u);  // the first register holds the low half
  EXPECT_EQ(d.PlusCounter, 0x0000000100000002ULL);
  EXPECT_EQ(d.MinusCounter, 0x0300000000000004ULL);
}

TEST(FormatCounter, PointAndTheCounterDecimals) {
  const std::tuple<std::uint32_t, std::uint16_t, const char*> cases[] = {
      {123410, 2, "1234.10"}, {7, 2, "0.07"}, {1234, 0, "1234"}, {123456, 5, "1234.56"}, {4294967295u, 2, "42949672.95"}};
  for (const auto& [value, decimals, text] : cases) {
    EXPECT_EQ(FormatCounter(value, decimals), text) << value << "/" << decimals;
  }
}

TEST(FormatHours, HundredthsOfAnHourAreTruncated) {
  const std::pair<std::uint32_t, const char*> cases[] = {{3635, "1.00"}, {3599, "0.99"}, {180, "0.05"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatHours(seconds), text) << seconds;
}

using T = CurrentDataTexts;

struct TextCase {
  Block block;
  std::string T::*text;
  const char* expected;
  const char* separator = ",";
};

TEST(FormatCurrentData, EachTextFromItsRegisters) {
  const TextCase cases[] = {
      // The flow's sign comes from the direction bit, its decimals from the forward counter's.
      {Block().Float(2, 12.345f).Set(6, 2), &T::Label1, "Расход: -12,35 м3/час"},
      {Block().Status(1, 0).Float(2, 12.345f).Set(6, 2), &T::Label1, "Расход: 12.35 м3/час", "."},
      {Block().Status(1, 0).Float(2, 3.25f).Set(6, 1), &T::Label1, "Расход: 3,3 м3/час"},
      {Block().Status(1, 0).Float(2, 3.25f).Set(6, 9), &T::Label1, "Расход: 3,25 м3/час"},
      {Block().Float(2, -1.5f).Set(6, 2), &T::Label1, "Расход: --1,50 м3/час"},  // shown as read
      // Each counter shows its low 32 bits with its own decimals.
      {Block().Set(6, 2).U64(17, 0x0000000700000000ULL + 123456), &T::Label2, "Счетчик '+': 1234.56 м3"},
      {Block().Set(6, 2).U64(21, 1234), &T::Label3, "Счетчик '-': 1234 м3"},
      {Block().Set(9, 1).U64(21, 1234), &T::Label3, "Счетчик '-': 123.4 м3"},
      // The first state that matches wins.
      {Block().Status(1, 0), &T::Label5, "Состояние: норм. работа"},
      {Block().Status(0xC000, 0), &T::Label5, "Состояние: нет сигн. в канале 1"},
      {Block().Status(0x8000, 0), &T::Label5, "Состояние: нет сигн. в канале 2"},
      {Block().Status(0xC000, 0x0010), &T::Label5, "Состояние: нет сигнала"},
      {Block().Float(43, 6.4f).Float(45, 21.5f).Set(47, 1), &T::Pressure_Label, "Давление: 6,40 кг/см2"},
      {Block().Float(43, 6.4f).Float(45, 21.5f).Set(47, 2), &T::Pressure_Label, "Температура: 22 градС"},
      {Block().Float(43, 6.4f).Float(45, 21.5f).Set(47, 3), &T::Pressure_Label, "Датчик отключен"},
      {Block().U32(25, 5400).U32(27, 3599), &T::Label4, "Время работы: 1.50 час"},
      {Block().U32(25, 5400).U32(27, 3599), &T::Label7, "Наработка: 0.99 час"},
      {Block().Set(29, 65535), &T::Label6, "Зав. номер: 65535"},
      {Block().Set(37, 5).Set(38, 7).Set(39, 9).Set(40, 1).Set(41, 2).Set(42, 2026), &T::CurTime_Label,
       "Текущее время: 01.02.2026 09:07:05"},
      // The clock fields are signed, and a field wider than its place is never cut.
      {Block().Set(37, 0xFFFF).Set(40, 123).Set(42, 7), &T::CurTime_Label, "Текущее время: 123.00.0007 00:00:-1"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(FormatCurrentData(c.block.Decode(), c.separator).*c.text, c.expected);
  }
}

TEST(ShowCurrentData, WritesEveryTextAndEnablesArchivesOfMoreThanOneRecord) {
  test::FakeWindow w;
  ShowCurrentData(Block().Set(30, 0).Set(31, 1).Set(32, 2).Decode(), w, ",");
  EXPECT_EQ(w.Text("HourNum_Label"), "Всего записей:-1");
  EXPECT_EQ(w.Text("HourNum_Edit"), "-1");
  EXPECT_EQ(w.Text("DayNum_Label"), "Всего записей:0");
  EXPECT_EQ(w.Text("MonthNum_Edit"), "1");
  EXPECT_FALSE(w.Enabled("Button2"));
  EXPECT_FALSE(w.Enabled("Button3"));
  EXPECT_TRUE(w.Enabled("Button4"));
  for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label7", "Pressure_Label", "Label5", "Label6",
                            "CurTime_Label"}) {
    EXPECT_FALSE(w.Text(label).empty()) << label;
  }
}

}  // namespace
}  // namespace kamt
