#include "link/check_response.h"

#include <algorithm>
#include <cstdio>

#include "link/window.h"

namespace kamt {
namespace {

// Function codes of the meter's archive records; their answers carry two bytes the master
// does not examine, then the 40-byte record.
bool IsArchiveFunction(std::uint8_t f) { return f == 0x46 || f == 0x47 || f == 0x48; }

constexpr int kArchiveRecordOffset = 3;
constexpr int kArchiveRecordSize = 40;

std::uint8_t Reject(Window& window, const char* text) {
  window.ShowMessage(text);
  return 1;
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

std::uint8_t CheckResponse(std::span<const std::uint8_t> pdu, int len,
                           std::span<std::uint8_t> dataArea, Window& window) {
  // Never look past what arrived, nor past the buffer that holds it.
  len = std::min<int>(len, static_cast<int>(pdu.size()));
  if (len < 1) return Reject(window, "Неправильная длина ответа!");
  const std::uint8_t function = pdu[0];

  if (function & 0x80) {
    if (len < 2) return Reject(window, "Неправильная длина ответа!");
    window.ShowMessage(ExceptionMessage(pdu[1]));
    return 1;
  }
  if (function == 0x03 || function == 0x04) {
    const int byteCount = len >= 2 ? pdu[1] : 0;
    const int present = std::min(byteCount, len - 2);
    if (present < static_cast<int>(dataArea.size())) {
      return Reject(window, "Неправильная длина ответа!");
    }
    std::copy_n(pdu.begin() + 2, dataArea.size(), dataArea.begin());
    return 0;
  }
  if (function == 0x10) return 0;  // the echoed start and count are not examined
  if (IsArchiveFunction(function)) {
    if (len < kArchiveRecordOffset + kArchiveRecordSize) {
      return Reject(window, "Неправильная длина ответа!");
    }
    const auto record = pdu.subspan(kArchiveRecordOffset, kArchiveRecordSize);
    std::copy_n(record.begin(), std::min(record.size(), dataArea.size()), dataArea.begin());
    return 0;
  }
  return Reject(window, "Неизвестный тип функции в ответе!");
}

}  // namespace kamt
