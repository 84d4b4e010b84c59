#pragma once

#include <string_view>

#include "meter/meter_config.h"

namespace kamt {

class Window;

// Fills the controls of the "Конфигурация" group from a configuration. Numbers use
// `decimalSeparator` (the user's locale's) and up to 15 significant digits; a combo box whose
// value has no item is left with no selection.
void ShowMeterConfig(const MeterConfigRecord& config, Window& window, std::string_view decimalSeparator);

// Reads the controls in their fixed order into `config`. At the first control that holds no
// valid value it shows that control's message and returns false; the fields read before it
// keep their new values.
bool ValidateConfigInput(Window& window, MeterConfigRecord& config, std::string_view decimalSeparator);

}  // namespace kamt
