#pragma once

#include <string_view>

namespace kamt {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF): a file re-saved by an editor in UTF-8 is told from one in Windows-1251 so.
bool IsValidUtf8(std::string_view s);

// Whether any byte is outside ASCII: plain ASCII is the same in both encodings.
bool HasHighBytes(std::string_view s);

}  // namespace kamt
