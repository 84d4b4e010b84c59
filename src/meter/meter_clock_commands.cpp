#include "meter/meter_clock_commands.h"

#include "link/modbus.h"
#include "meter/enable_commands.h"
#include "meter/holding_registers.h"
#include "meter/meter_clock_view.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {

bool ReadTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  const CommandGroupsLock lock(w);
  std::array<std::uint8_t, kMeterClockSize> area{};
  const bool read = ReadHoldingRegisters(s, modbus::kClockFirst, area, "Чтение времени и даты");
  if (read) {
    // Compared with the computer's clock as the answer arrives, before anything else runs.
    const LocalDateTime computer = s.computerTime();
    s.MeterClock = DecodeMeterClock(area);
    ShowMeterClock(s.MeterClock, w);
    w.SetStatusText(1, "Данные считаны");
    w.SetText("ClockDiff_Label", ClockDifferenceText(s.MeterClock, computer));
  }
  return read;
}

bool WriteTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  if (!ParseClockInput(s.window(), s.MeterClock)) return false;
  const auto values = EncodeMeterClock(s.MeterClock);
  return WriteHoldingRegisters(s, modbus::kClockFirst, values, "Запись времени и даты");
}

bool PcTime_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  MeterClockRecord clock = ClockOf(s.computerTime());
  ShowMeterClock(clock, s.window());
  return true;
}

}  // namespace kamt
