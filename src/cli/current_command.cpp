#include "cli/cli_command.h"
#include "cli/cli_json.h"
#include "cli/console_window.h"
#include "meter/current_data_read.h"
#include "meter/session.h"

namespace kamt {

// The labels of the "Данные" and archive groups, in the order the tool prints them.
constexpr const char* kCurrentDataLabels[] = {
    "Label1", "Label2", "Label3",        "Label4",       "Label7",         "Pressure_Label",
    "Label5", "Label6", "HourNum_Label", "DayNum_Label", "MonthNum_Label", "CurTime_Label"};

bool RunCurrentCommand(CliContext& c) {
  if (!Button1Click(c.session)) return false;
  if (c.json) {
    c.out << CurrentDataJson(c.session.CurrentData);
    return true;
  }
  for (const char* label : kCurrentDataLabels) c.out << c.window.Text(label) << '\n';
  return true;
}

}  // namespace kamt
