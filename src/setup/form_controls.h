#pragma once

#include <span>
#include <string_view>

namespace kamt {

// The forms whose controls the logic addresses by name.
enum class Form { Main, Connection, Modem };

// The object names of a form's controls, listed once: what its .ui file names (a test holds
// the two together), and the status panels the window adds to its status bar. The logic
// addresses controls by these names only; a name outside them is a fault of the program.
std::span<const std::string_view> FormControls(Form form);

// Whether any form has a control of that name.
bool IsFormControl(std::string_view name);

}  // namespace kamt
