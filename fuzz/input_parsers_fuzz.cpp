// Whatever a user leaves in the edits and combo boxes of the clock, communication and
// configuration groups, checked before a write. A check either refuses with exactly one
// message, or accepts values its meter register can hold; and what is shown of an accepted
// record is accepted again unchanged (a read, then a write of what the window shows, writes
// what was read).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/field_assignments.h"
#include "fake_window.h"
#include "meter/comm_params_view.h"
#include "meter/meter_clock_view.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_view.h"

namespace {

using kamt::test::FakeWindow;

constexpr const char* kClockEdits[] = {"Hour_Edit", "Min_Edit", "Sec_Edit", "Day_Edit", "Month_Edit", "Year_Edit"};
constexpr const char* kClockCombos[] = {"DayOfWeek_ComboBox"};
constexpr const char* kCommEdits[] = {"Edit3", "Edit2", "Edit1"};
constexpr const char* kCommCombos[] = {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox13"};
constexpr const char* kConfigEdits[] = {"Edit4", "Edit5", "Edit6", "Edit8", "Edit9", "Edit10", "Edit11", "Edit7", "Edit12"};
constexpr const char* kConfigCombos[] = {"ComboBox11", "ComboBox10", "ComboBox1", "ComboBox6", "ComboBox7",
                                         "ComboBox8",  "ComboBox9",  "ComboBox12", "ComboBox14", "ComboBox15"};

// The input: a byte of choices, one byte per combo box (its position + 1; 0 none, and past
// the list none as well, as a real combo box has it), then the edits' texts split at 0 bytes.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Text() {
    std::string text;
    while (at_ < size_ && data_[at_] != 0) text.push_back(static_cast<char>(data_[at_++]));
    if (at_ < size_) ++at_;
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Fill(FakeWindow& w, Input& in, std::span<const char* const> edits, std::span<const char* const> combos) {
  for (const char* combo : combos) w.SetItemIndex(combo, in.Byte() - 1);
  for (const char* edit : edits) w.SetText(edit, in.Text());
}

// Fills a window from the input and runs the check. When it accepts, the record is shown in a
// fresh window and checked again from there; both results are given, to be compared.
template <typename Record, typename Parse, typename Show>
std::optional<std::pair<Record, Record>> CheckThenCheckShown(Input& in, std::span<const char* const> edits,
                                                             std::span<const char* const> combos, Parse parse,
                                                             Show show) {
  FakeWindow w;
  kamt::FillComboLists(w);
  Fill(w, in, edits, combos);
  Record first;
  const bool accepted = parse(w, first);
  if (w.messages.size() != (accepted ? 0u : 1u)) __builtin_trap();  // one message exactly when refused
  if (!accepted) return std::nullopt;
  FakeWindow again;
  kamt::FillComboLists(again);
  Record shown = first;
  show(shown, again);
  Record second;
  if (!parse(again, second)) __builtin_trap();
  return std::pair(first, second);
}

void Clock(Input& in) {
  const auto r = CheckThenCheckShown<kamt::MeterClockRecord>(
      in, kClockEdits, kClockCombos, [](FakeWindow& w, auto& c) { return kamt::ParseClockInput(w, c); },
      [](auto& c, FakeWindow& w) { kamt::ShowMeterClock(c, w); });
  if (!r) return;
  const kamt::MeterClockRecord& c = r->first;
  const bool inRange = c.hours >= 0 && c.hours <= 23 && c.minutes >= 0 && c.minutes <= 59 && c.seconds >= 0 &&
                       c.seconds <= 59 && c.day >= 0 && c.day <= 31 && c.month >= 0 && c.month <= 12 &&
                       c.year >= 2000 && c.year <= 3000 && c.dayOfWeek >= 0 && c.dayOfWeek <= 7;
  if (!inRange) __builtin_trap();
  if (kamt::EncodeMeterClock(r->first) != kamt::EncodeMeterClock(r->second)) __builtin_trap();
}

void Comm(Input& in) {
  const auto r = CheckThenCheckShown<kamt::CommParamsRecord>(
      in, kCommEdits, kCommCombos, [](FakeWindow& w, auto& p) { return kamt::ParseCommParams(w, p); },
      [](auto& p, FakeWindow& w) { kamt::ShowCommParams(p, w); });
  if (!r) return;
  // One byte on the line, and never the broadcast; a port a client can reach.
  if (r->first.netNumber == 0 || r->first.netNumber > 255 || r->first.port == 0) __builtin_trap();
  if (kamt::EncodeCommParams(r->first) != kamt::EncodeCommParams(r->second)) __builtin_trap();
}

// Zero is zero: a "-0" typed is shown as 0, and the meter takes the two alike.
void ClearNegativeZeros(kamt::MeterConfigRecord& c) {
  for (float kamt::MeterConfigRecord::*f :
       {&kamt::MeterConfigRecord::ConversionFactor, &kamt::MeterConfigRecord::MaxFlow,
        &kamt::MeterConfigRecord::FreqCorrection, &kamt::MeterConfigRecord::TransitionFreq,
        &kamt::MeterConfigRecord::MinFreq, &kamt::MeterConfigRecord::ZeroOffsetVoltage,
        &kamt::MeterConfigRecord::MaxPressure, &kamt::MeterConfigRecord::MaxTemperature}) {
    if (c.*f == 0.0f) c.*f = 0.0f;
  }
}

void Config(Input& in, std::string_view separator) {
  const auto r = CheckThenCheckShown<kamt::MeterConfigRecord>(
      in, kConfigEdits, kConfigCombos,
      [separator](FakeWindow& w, auto& c) { return kamt::ValidateConfigInput(w, c, separator); },
      [separator](auto& c, FakeWindow& w) { kamt::ShowMeterConfig(c, w, separator); });
  if (!r) return;
  // A one-channel meter corrects in one direction only: the window shows it so.
  kamt::MeterConfigRecord expected = r->first;
  if (expected.Channels == 1) expected.CorrectionSign = 0;
  kamt::MeterConfigRecord reread = r->second;
  ClearNegativeZeros(expected);
  ClearNegativeZeros(reread);
  if (kamt::EncodeMeterConfig(expected) != kamt::EncodeMeterConfig(reread)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const std::uint8_t choice = in.Byte();
  switch (choice % 3) {
    case 0: Clock(in); break;
    case 1: Comm(in); break;
    default: Config(in, choice & 0x80 ? "." : ","); break;
  }
  return 0;
}
