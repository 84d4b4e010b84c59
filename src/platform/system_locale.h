#pragma once

#include <string>

namespace kamt {

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG), for numbers on screen.
std::string SystemDecimalSeparator();

}  // namespace kamt
