#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kamt {

// Where a write failed: the file could not be made at all (no such folder, no right, the name
// is taken by a folder), or it was made but could not be written whole (disk full, removed
// medium). The two are told apart to the user.
enum class WriteFailure { None, Create, Write };

// Replaces the file at `path` with `bytes` so that it is never seen torn: the bytes go to a
// file beside it, are flushed to the disk, and only then take the final name. On failure the
// earlier file of that name is untouched, nothing is left beside it, and `error` says why.
// What a write of that name left behind when its program was killed half-way is removed first.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr,
                         WriteFailure* failure = nullptr);

// The same for a text, written in Windows-1251. The text carries its own CR LF line ends.
bool WriteTextFile(const std::filesystem::path& path, std::string_view utf8Text, std::string* error = nullptr,
                   WriteFailure* failure = nullptr);

// The whole file's bytes; nothing when it does not exist or cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// A small file the program keeps for itself (its settings, its phone list), read whole when it
// holds at most `limit` bytes. A larger one is not read: at most limit + 1 bytes are looked at,
// so neither its size nor what it is (a device, a pipe) costs more than that.
struct SmallFile {
  std::optional<std::string> bytes;  // nothing when missing, unreadable or too large
  bool tooLarge = false;
};
SmallFile ReadSmallFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace kamt
