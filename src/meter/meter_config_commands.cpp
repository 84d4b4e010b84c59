#include "meter/meter_config_commands.h"

#include <array>

#include "link/modbus.h"
#include "meter/enable_commands.h"
#include "meter/holding_registers.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_view.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {

bool ReadConf_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  const CommandGroupsLock lock(w);
  w.SetEnabled("Button11", false);
  std::array<std::uint8_t, kMeterConfigSize> area{};
  const bool read = ReadHoldingRegisters(s, modbus::kConfigFirst, area, "Чтение данных");
  if (read) {
    s.MeterConfig = DecodeMeterConfig(area);
    ShowMeterConfig(s.MeterConfig, w, s.decimalSeparator);
    w.SetStatusText(1, "Данные считаны");
    w.SetEnabled("Button11", true);
  }
  return read;
}

bool WriteConf_ButtonClick(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  if (!ValidateConfigInput(s.window(), s.configToWrite, s.decimalSeparator)) return false;
  const auto values = EncodeMeterConfig(s.configToWrite);
  return WriteHoldingRegisters(s, modbus::kConfigWriteFirst, values, "Запись конфигурации");
}

}  // namespace kamt
