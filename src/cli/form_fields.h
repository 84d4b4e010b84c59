#pragma once

#include <span>
#include <string>

#include "cli/field_assignments.h"

namespace kamt {

// The controls of the "Конфигурация" group, in the order the window checks them.
std::span<const FormField> ConfigFields();
// The controls of the "Параметры коммуникации" group, RS485 first, then TCP/IP.
std::span<const FormField> CommFields();

// The fields of config write and comm write and the clock's time format, for --help.
std::string CliFieldsHelp();

}  // namespace kamt
