#pragma once

#include <string>
#include <string_view>

namespace kamt {

// Every text file the program writes or reads is in Windows-1251, the code page of the
// meters' users. Characters the code page lacks become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace kamt
