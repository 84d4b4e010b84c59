#include "meter/current_data_read.h"

#include <array>

#include "link/modbus.h"
#include "meter/enable_commands.h"
#include "meter/exchange.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {

bool Button1Click(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  const CommandGroupsLock lock(w);
  static constexpr std::array<std::uint8_t, 4> kData = {
      modbus::kCurrentDataFirst >> 8, modbus::kCurrentDataFirst & 0xFF, 0, modbus::kCurrentDataCount};
  std::array<std::uint8_t, kCurrentDataSize> area{};
  const Request request{modbus::kReadInputRegisters, kData, modbus::RegisterAnswerLength(modbus::kCurrentDataCount)};
  const ExchangeResult result = Exchange(s.link, w, request, area, "Чтение данных");
  if (result == ExchangeResult::Accepted) {
    s.CurrentData = DecodeCurrentData(area);
    ShowCurrentData(s.CurrentData, w, s.decimalSeparator);
    w.SetStatusText(1, "Данные считаны");
  } else {
    ReportFailure(w, result, "Ошибка чтения");
  }
  return result == ExchangeResult::Accepted;
}

}  // namespace kamt
