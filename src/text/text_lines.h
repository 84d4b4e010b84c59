#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kamt {

// The lines of a text file written on any system: CR LF, a lone CR or a lone LF ends a line,
// and a final line end adds no empty line. An empty line inside the text is a line of its own.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace kamt
