#include "meter/meter_config_commands.h"

#include <array>

#include "link/enable_commands.h"
#include "link/window.h"
#include "meter/holding_registers.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_view.h"
#include "meter/session.h"

namespace kamt {

bool ReadConf_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  EnableCommands(w, false);
  w.SetEnabled("Button11", false);
  std::array<std::uint8_t, kMeterConfigSize> area{};
  const bool read = ReadHoldingRegisters(s.link, kMeterConfigReadStart, area, "Чтение данных");
  if (read) {
    s.MeterConfig = DecodeMeterConfig(area);
    ShowMeterConfig(s.MeterConfig, w, s.DecimalSeparator);
    w.SetStatusText(1, "Данные считаны");
    w.SetEnabled("Button11", true);
  }
  EnableCommands(w, true);
  return read;
}

bool WriteConf_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  if (!ValidateConfigInput(s.window(), s.ConfigToWrite, s.DecimalSeparator)) return false;
  const auto values = EncodeMeterConfig(s.ConfigToWrite);
  return WriteHoldingRegisters(s.link, kMeterConfigWriteStart, values, "Запись конфигурации");
}

}  // namespace kamt
