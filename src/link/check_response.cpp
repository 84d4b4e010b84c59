#include "link/check_response.h"

#include <algorithm>
#include <cstdio>

#include "link/modbus.h"

namespace kamt {
namespace {

using namespace modbus;

bool IsKnownFunction(std::uint8_t f) {
  return IsRegisterRead(f) || f == kWriteMultipleRegisters || IsArchiveFunction(f);
}

// The two-byte field at `offset` of the request's data (start or count), high byte first.
int RequestWord(const Request& request, std::size_t offset) {
  if (request.data.size() < offset + 2) return -1;
  return request.data[offset] << 8 | request.data[offset + 1];
}

Verdict CheckRegisters(const Request& request, std::span<const std::uint8_t> pdu, int len,
                       std::span<std::uint8_t> dataArea) {
  const int asked = RequestWord(request, 2);
  const int byteCount = len >= 2 ? pdu[1] : -1;
  if (byteCount != 2 * asked || len - 2 < byteCount) return Verdict::Refuse(kBadLengthText);
  // Never more than the area holds, and never less than it wants.
  if (byteCount < static_cast<int>(dataArea.size())) return Verdict::Refuse(kBadLengthText);
  std::copy_n(pdu.begin() + 2, dataArea.size(), dataArea.begin());
  return Verdict::Accept();
}

// The answer to a write echoes the start and the count of the request.
Verdict CheckWriteEcho(const Request& request, std::span<const std::uint8_t> pdu, int len) {
  if (len < 5) return Verdict::Refuse(kBadLengthText);
  const bool echoed = request.data.size() >= 4 && std::equal(pdu.begin() + 1, pdu.begin() + 5, request.data.begin());
  return echoed ? Verdict::Accept() : Verdict::Refuse(kNotTheAnswerText);
}

Verdict CheckRecord(std::span<const std::uint8_t> pdu, int len, std::span<std::uint8_t> dataArea) {
  if (len < static_cast<int>(kArchiveRecordOffset + kArchiveRecordSize)) return Verdict::Refuse(kBadLengthText);
  const auto record = pdu.subspan(kArchiveRecordOffset, kArchiveRecordSize);
  std::copy_n(record.begin(), std::min(record.size(), dataArea.size()), dataArea.begin());
  return Verdict::Accept();
}

}  // namespace

std::string ExceptionMessage(std::uint8_t code) {
  switch (code) {
    case 1: return "Функция не поддерживается!";
    case 2: return "Недопустимый адрес данных!";
    case 3: return "Ошибка в данных!";
    case 4: return "Ошибка устройства!";
    case 6: return "Устройство не готово!";
    default: {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", code);
      return std::string("Ошибка: 0х") + hex;  // the "х" is Cyrillic, as the meter's manual writes it
    }
  }
}

Verdict CheckResponse(const Request& request, std::span<const std::uint8_t> pdu, int len,
                      std::span<std::uint8_t> dataArea) {
  // Never look past what arrived, nor past the buffer that holds it.
  len = std::min<int>(len, static_cast<int>(pdu.size()));
  if (len < 1) return Verdict::Refuse(kBadLengthText);
  const std::uint8_t function = pdu[0];

  if (function & kExceptionBit) {
    if (len < 2) return Verdict::Refuse(kBadLengthText);
    if ((function & ~kExceptionBit) != request.function) return Verdict::Refuse(kNotTheAnswerText);
    return Verdict::Refuse(ExceptionMessage(pdu[1]));
  }
  if (!IsKnownFunction(function)) return Verdict::Refuse("Неизвестный тип функции в ответе!");
  if (function != request.function) return Verdict::Refuse(kNotTheAnswerText);
  if (IsRegisterRead(function)) return CheckRegisters(request, pdu, len, dataArea);
  if (function == kWriteMultipleRegisters) return CheckWriteEcho(request, pdu, len);
  return CheckRecord(pdu, len, dataArea);
}

Verdict CheckAnswerAddress(std::uint8_t asked, std::uint8_t answered) {
  return asked == answered ? Verdict::Accept() : Verdict::Refuse(kOtherDeviceText);
}

}  // namespace kamt
