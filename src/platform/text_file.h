#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kamt {

// Replaces the file at `path` with `bytes` so that it is never seen torn: the bytes go to a
// file beside it, are flushed to the disk, and only then take the final name. On failure the
// earlier file of that name is untouched, nothing is left beside it, and `error` says why.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

// The same for a text, written in Windows-1251. The text carries its own CR LF line ends.
bool WriteTextFile(const std::filesystem::path& path, std::string_view utf8Text, std::string* error = nullptr);

// The whole file's bytes; nothing when it does not exist or cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

}  // namespace kamt
