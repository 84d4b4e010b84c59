#include "meter/meter_clock_commands.h"

#include "link/enable_commands.h"
#include "link/window.h"
#include "meter/holding_registers.h"
#include "meter/meter_clock_view.h"
#include "meter/session.h"

namespace kamt {

bool ReadTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  EnableCommands(w, false);
  std::array<std::uint8_t, kMeterClockSize> area{};
  const bool read = ReadHoldingRegisters(s.link, kMeterClockStart, area, "Чтение времени и даты");
  if (read) {
    // Compared with the computer's clock as the answer arrives, before anything else runs.
    const LocalDateTime computer = s.ComputerTime();
    s.MeterClock = DecodeMeterClock(area);
    ShowMeterClock(s.MeterClock, w);
    w.SetStatusText(1, "Данные считаны");
    w.SetText("ClockDiff_Label", ClockDifferenceText(s.MeterClock, computer));
  }
  EnableCommands(w, true);
  return read;
}

bool WriteTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  if (!ParseClockInput(s.window(), s.MeterClock)) return false;
  const auto values = EncodeMeterClock(s.MeterClock);
  return WriteHoldingRegisters(s.link, kMeterClockStart, values, "Запись времени и даты");
}

bool PcTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  MeterClockRecord clock = ClockOf(s.ComputerTime());
  ShowMeterClock(clock, s.window());
  return true;
}

}  // namespace kamt
