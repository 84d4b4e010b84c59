#pragma once

#include <cstdint>
#include <string_view>

namespace kamt {

// An edit of the main window whose whole number becomes one register of the meter: the
// numbers that register can take, and the edit's message for any other text. A number outside
// is refused, never cut to the register's 16 bits.
struct IntegerField {
  std::string_view control;
  std::int32_t low;
  std::int32_t high;
  std::string_view message;
};

// The meter's network number: its Modbus address, one byte on the line. 0 is the broadcast,
// which a meter never answers, so a meter given it could not be reached again.
inline constexpr IntegerField kNetNumberField{"Edit3", 1, 255, "Ошибка ввода сетевого номера"};
// The meter's TCP port: 0 is no port a client can reach.
inline constexpr IntegerField kMeterPortField{"Edit2", 1, 65535, "Ошибка ввода номера порта"};
inline constexpr IntegerField kSerialNumberField{"Edit4", 0, 65535, "Ошибка ввода заводского номера"};

// The field of one of those edits; nullptr for any other control.
constexpr const IntegerField* FindIntegerField(std::string_view control) {
  for (const IntegerField* f : {&kNetNumberField, &kMeterPortField, &kSerialNumberField}) {
    if (f->control == control) return f;
  }
  return nullptr;
}

}  // namespace kamt
