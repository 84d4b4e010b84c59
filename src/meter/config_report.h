#pragma once

#include <string>
#include <string_view>

#include "meter/meter_config.h"

namespace kamt {

struct Session;

// The report's file name: "KAMT_Conf" + the serial number in decimal + ".txt".
std::string ConfigReportName(const MeterConfigRecord& config);

// The report, one parameter a line, each ending in CR LF (UTF-8 here; the file is Windows-1251).
// The diameter is the text its box shows when saving, since the register holds only a position.
// Numbers always use a point, whatever the user's locale.
std::string FormatConfigReport(const MeterConfigRecord& config, std::string_view diameterText);

// "Сохранить в файл": writes the report of the configuration last read into the output
// directory (never leaving a half-written file under its name) and says so in status panel 1.
// Returns false after showing "Ошибка открытия файла: " + the name when it could not be written.
bool Button11Click(Session& session);

}  // namespace kamt
