#include "meter/holding_registers.h"

#include <vector>

#include "link/link.h"
#include "link/modbus.h"
#include "meter/exchange.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {
namespace {

void PutWord(std::vector<std::uint8_t>& out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

bool ReadHoldingRegisters(Session& s, std::uint16_t start, std::span<std::uint8_t> area,
                          std::string_view progressText) {
  const std::size_t count = area.size() / 2;
  std::vector<std::uint8_t> data;
  PutWord(data, start);
  PutWord(data, count);
  const Request request{modbus::kReadHoldingRegisters, data, modbus::RegisterAnswerLength(static_cast<int>(count))};
  const ExchangeResult result = Exchange(s.link, s.window(), request, area, progressText);
  if (result == ExchangeResult::Accepted) return true;
  ReportFailure(s.window(), result, "Ошибка чтения");
  return false;
}

bool WriteHoldingRegisters(Session& s, std::uint16_t start, std::span<const std::uint8_t> values,
                           std::string_view serialProgressText) {
  std::vector<std::uint8_t> data;
  PutWord(data, start);
  PutWord(data, values.size() / 2);
  data.push_back(static_cast<std::uint8_t>(values.size()));
  data.insert(data.end(), values.begin(), values.end());
  const std::string_view progress = s.link.UsesSerialRules() ? serialProgressText : std::string_view();
  const Request request{modbus::kWriteMultipleRegisters, data, modbus::kWriteAnswerLength};
  const ExchangeResult result = Exchange(s.link, s.window(), request, {}, progress);
  if (result == ExchangeResult::Accepted) {
    s.window().SetStatusText(1, "Запись выполнена");
    return true;
  }
  ReportFailure(s.window(), result, "Ошибка записи");
  return false;
}

}  // namespace kamt
