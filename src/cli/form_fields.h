#pragma once

#include <span>
#include <string>

#include "cli/field_assignments.h"

namespace kamt {

// The fields of config write and comm write and the clock's time format, for --help.
std::string CliFieldsHelp();

}  // namespace kamt
