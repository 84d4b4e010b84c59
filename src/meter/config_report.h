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
// Returns false after showing "Ошибка открытия файла: " + the name when the file could not be
// made, or "Ошибка записи файла: " + the name + ": " + the system's reason when it could not be
// written whole.
bool Button11Click(Session& session);
// The same, telling a caller that says more than the window (the command line) why a file could
// not be made: that message box names only the file, as it always has.
bool SaveConfigReport(Session& session, std::string* openFailureReason);

}  // namespace kamt
