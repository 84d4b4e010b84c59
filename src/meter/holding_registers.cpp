#include "meter/holding_registers.h"

#include <vector>

#include "link/exchange.h"
#include "link/link.h"
#include "link/window.h"

namespace kamt {
namespace {

constexpr std::uint8_t kReadHolding = 0x03;
constexpr std::uint8_t kWriteMultiple = 0x10;
// Address, function, start, count, CRC: the answer to a write echoes the request's head.
constexpr int kWriteAnswerLength = 8;

void PutWord(std::vector<std::uint8_t>& out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

bool ReadHoldingRegisters(Link& link, std::uint16_t start, std::span<std::uint8_t> area,
                          std::string_view progressText) {
  const std::size_t count = area.size() / 2;
  std::vector<std::uint8_t> data;
  PutWord(data, start);
  PutWord(data, count);
  // Address, function, byte count, the registers, CRC.
  const int answerLength = static_cast<int>(5 + 2 * count);
  const ExchangeResult result = Exchange(link, {kReadHolding, data, answerLength}, area, progressText);
  if (result == ExchangeResult::Accepted) return true;
  ReportFailure(link, result, "Ошибка чтения");
  return false;
}

bool WriteHoldingRegisters(Link& link, std::uint16_t start, std::span<const std::uint8_t> values,
                           std::string_view serialProgressText) {
  std::vector<std::uint8_t> data;
  PutWord(data, start);
  PutWord(data, values.size() / 2);
  data.push_back(static_cast<std::uint8_t>(values.size()));
  data.insert(data.end(), values.begin(), values.end());
  const std::string_view progress = link.IsSerial() ? serialProgressText : std::string_view();
  const ExchangeResult result = Exchange(link, {kWriteMultiple, data, kWriteAnswerLength}, {}, progress);
  if (result == ExchangeResult::Accepted) {
    link.window.SetStatusText(1, "Запись выполнена");
    return true;
  }
  ReportFailure(link, result, "Ошибка записи");
  return false;
}

}  // namespace kamt
