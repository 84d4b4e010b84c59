#include "meter/comm_params_commands.h"

#include "link/modbus.h"
#include "meter/comm_params_view.h"
#include "meter/holding_registers.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {

bool Button5Click(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  std::array<std::uint8_t, kCommParamsSize> area{};
  if (!ReadHoldingRegisters(s, modbus::kCommParamsFirst, area, "Чтение параметров коммуникации")) return false;
  s.CommParams = DecodeCommParams(area);
  ShowCommParams(s.CommParams, s.window());
  s.window().SetStatusText(1, "Параметры коммуникации считаны");
  return true;
}

bool Button6Click(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  if (!ParseCommParams(s.window(), s.CommParams)) return false;
  const auto values = EncodeCommParams(s.CommParams);
  return WriteHoldingRegisters(s, modbus::kCommParamsFirst, values, "Запись параметров коммуникации");
}

}  // namespace kamt
