#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "meter/form_fields.h"

namespace kamt {

class ConsoleWindow;
class Window;
struct CliContext;
struct Session;

// Gives the console window the item lists of the main window's combo boxes, so that a value
// with no item clears a selection and a selected item shows its text, as in the window.
void FillComboLists(ConsoleWindow& window);

// Checks NAME=VALUE arguments against the fields: known names, and for a combo box a value
// that names one of its items. An empty text when they are usable, else what is wrong, with
// the names or items allowed.
std::string CheckAssignments(std::span<const FormField> fields, std::span<const std::string> args);

// Puts checked NAME=VALUE arguments into the controls: an edit gets the text as typed (the
// handler checks it as it checks what a user types), a combo box gets its item selected.
void ApplyAssignments(std::span<const FormField> fields, std::span<const std::string> args, Window& window);

// One "caption: value" line per field, the value as the window shows it.
void PrintFields(std::span<const FormField> fields, const Window& window, std::ostream& out);

// The fields' names, captions and items, for --help.
std::string FieldsHelp(std::string_view title, std::span<const FormField> fields);

// Runs a command's handler and prints status panel 1 when it succeeded ("Запись выполнена").
// The status texts are cleared first, so that a failure reports only what this handler said,
// not what a read before it did.
bool RunAndReport(CliContext& context, const std::function<bool(Session&)>& handler);

// "write NAME=VALUE...": reads the group (so that the fields not named keep the meter's
// values), changes the named controls and writes the group as its "Записать" does.
bool ReadChangeWrite(CliContext& context, std::span<const FormField> fields, bool (*read)(Session&),
                     bool (*write)(Session&));

}  // namespace kamt
