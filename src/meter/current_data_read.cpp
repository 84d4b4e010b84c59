#include "meter/current_data_read.h"

#include <array>

#include "link/enable_commands.h"
#include "link/exchange.h"
#include "link/window.h"
#include "meter/session.h"

namespace kamt {

bool Button1Click(Session& s) {
  CommandScope scope(s);
  if (!scope) return false;
  Window& w = s.window();
  EnableCommands(w, false);
  // Input registers 0x1000 to 0x102F: 48 registers.
  static constexpr std::array<std::uint8_t, 4> kData = {0x10, 0x00, 0x00, 0x30};
  std::array<std::uint8_t, kCurrentDataSize> area{};
  const ExchangeResult result = Exchange(s.link, {0x04, kData, 101}, area, "Чтение данных");
  if (result == ExchangeResult::Accepted) {
    s.CurrentData = DecodeCurrentData(area);
    ShowCurrentData(s.CurrentData, w, s.DecimalSeparator);
    w.SetStatusText(1, "Данные считаны");
  } else {
    ReportFailure(s.link, result, "Ошибка чтения");
  }
  EnableCommands(w, true);
  return result == ExchangeResult::Accepted;
}

}  // namespace kamt
