#include <gtest/gtest.h>

#include <array>

#include "hex.h"
#include "meter/current_data.h"
#include "meter/current_data_read.h"
#include "meter/registers.h"
#include "test_rig.h"

namespace kamt {
namespace {

using namespace std::string_literals;

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
  EXPECT_EQ(std::tuple(d.PlusCounter, d.MinusCounter), std::tuple(0x0000000100000002ULL, 0x0300000000000004ULL));
}

// Counters with their decimals; hundredths of an hour truncated.
TEST(FormatCounter, PointAndTheCounterDecimals) {
  const std::tuple<std::uint32_t, std::uint16_t, const char*> cases[] = {
      {123410, 2, "1234.10"}, {7, 2, "0.07"}, {1234, 0, "1234"}, {123456, 5, "1234.56"}, {4294967295u, 2, "42949672.95"}};
  for (const auto& [value, decimals, text] : cases) EXPECT_EQ(FormatCounter(value, decimals), text) << value;
  const std::pair<std::uint32_t, const char*> hours[] = {{3635, "1.00"}, {3599, "0.99"}, {180, "0.05"}};
  for (const auto& [seconds, text] : hours) EXPECT_EQ(FormatHours(seconds), text) << seconds;
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

// "Всего записей:" shows the meter's count less one; an archive button needs two records.
TEST(ShowCurrentData, WritesEveryTextAndEnablesArchivesOfMoreThanOneRecord) {
  test::FakeWindow w;
  ShowCurrentData(Block().Set(30, 1).Set(31, 0).Set(32, 2).Decode(), w, ",");
  EXPECT_EQ(std::tuple(w.Text("HourNum_Label"), w.Text("HourNum_Edit"), w.Text("DayNum_Label"), w.Text("MonthNum_Edit")),
            std::tuple("Всего записей:0", "0", "Всего записей:-1", "1"));
  EXPECT_EQ(std::tuple(w.Enabled("Button2"), w.Enabled("Button3"), w.Enabled("Button4")), std::tuple(false, false, true));
  for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label7", "Pressure_Label", "Label5", "Label6",
                            "CurTime_Label"}) {
    EXPECT_FALSE(w.Text(label).empty()) << label;
  }
}

// The meter's answer: `count` bytes of the block, with the serial number and five hour records.
std::vector<std::uint8_t> CurrentDataAnswer(std::uint16_t serial, std::uint8_t count = 96, std::uint8_t address = 1) {
  std::vector<std::uint8_t> frame = {address, 0x04, count};
  frame.resize(3 + 96);
  RegisterWriter regs{std::span(frame).subspan(3)};
  regs.U16(29, serial);
  regs.U16(30, 5);
  frame.resize(3u + count);
  return test::WithCrc(frame);
}

// Only the low byte of the address goes on the line. While the request waits for its answer the
// commands are locked and a second one is refused.
TEST(Button1Click, ReadsLockedAndShowsTheAnswer) {
  test::TestRig rig;
  rig.session.link.LinkSettings.NetAddr = 0x1F7;
  rig.port.onWrite = [&](auto) {
    for (const char* g : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox6", "GroupBox7", "GroupBox8"}) {
      EXPECT_FALSE(rig.window.Enabled(g)) << g;
    }
  };
  int nested = 0;
  rig.window.onProcessEvents = [&] { EXPECT_FALSE(nested++ == 0 && Button1Click(rig.session)); };
  rig.port.ReplyWith(CurrentDataAnswer(4321, 96, 0xF7));
  EXPECT_TRUE(Button1Click(rig.session));
  EXPECT_EQ(rig.port.written, std::vector<std::vector<std::uint8_t>>{test::WithCrc(test::Hex("F7 04 10 00 00 30"))});
  EXPECT_EQ(std::tuple(rig.session.CurrentData.SerialNumber, rig.window.Text("Label6")), std::tuple(4321, "Зав. номер: 4321"s));
  EXPECT_EQ(rig.window.Entries("panel1"), (std::vector<std::string>{"panel1 Чтение данных", "panel1 Данные считаны"}));
  EXPECT_TRUE(rig.window.Enabled("Button2") && rig.window.Enabled("GroupBox1") && rig.window.Enabled("GroupBox8"));
  EXPECT_TRUE(rig.window.Entries("GroupBox9").empty());
  EXPECT_TRUE(rig.window.messages.empty());
}

// Each failure shows its message, then the failure text, and keeps the last data. A Modbus TCP
// time-out leaves the progress text and shows nothing.
TEST(Button1Click, FailuresShowTheMessageThenTheTextAndKeepTheLastData) {
  auto crc = CurrentDataAnswer(9);
  crc.back() ^= 0xFF;
  const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
      {{}, "Устройство не отвечает!"}, {crc, "Ошибка CRC!"}, {CurrentDataAnswer(9, 94), "Неправильная длина ответа!"},
      {test::Hex("FF FF"), "Неправильная длина ответа!"}};
  test::TestRig rig;
  rig.port.ReplyWith(CurrentDataAnswer(1));
  ASSERT_TRUE(Button1Click(rig.session));
  for (const auto& [reply, message] : cases) {
    reply.empty() ? rig.port.ReplySilence() : rig.port.ReplyWith(reply);
    rig.window.log.clear();
    EXPECT_FALSE(Button1Click(rig.session));
    EXPECT_EQ(rig.window.Entries("message").size(), 1u);
    EXPECT_EQ(rig.window.Entries("panel1").back(), "panel1 Ошибка чтения");
    EXPECT_EQ(std::find(rig.window.log.begin(), rig.window.log.end(), "message "s + message) - rig.window.log.begin(),
              std::find(rig.window.log.begin(), rig.window.log.end(), "panel1 Ошибка чтения") - rig.window.log.begin() - 1);
    EXPECT_EQ(rig.window.Text("Label6"), "Зав. номер: 1");
  }
  rig.UseTcp();
  const std::uint64_t start = rig.clock.now;
  EXPECT_FALSE(Button1Click(rig.session));
  EXPECT_TRUE(rig.clock.now - start > 3000 && rig.window.Entries("message").size() == 1);
  EXPECT_EQ(rig.window.StatusText(1), "Чтение данных");
}

}  // namespace
}  // namespace kamt
