#pragma once

#include <string>

#include "link/serial_port.h"

namespace kamt {

// "Порт не открыт: NAME: reason", with what the user can do about it where that is known.
std::string PortOpenFailureText(const std::string& name, OpenFailure failure, const std::string& detail);

}  // namespace kamt
