// Whatever a file opened in the archive viewer holds: it is read or refused with a line's
// reason, never anything in between, and its line ends do not change the outcome.
#include <cstddef>
#include <cstdint>
#include <string>

#include "meter/archive_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const kamt::ArchiveFileReadResult result = kamt::ParseArchiveFile(bytes);
  if (result.contents.has_value() == !result.error.empty()) __builtin_trap();
  if (result.contents && result.contents->rows.size() > kamt::kArchiveFileMaxRows) __builtin_trap();
  if (!result.contents && !result.error.starts_with("Строка ") && !result.error.starts_with("Файл ")) __builtin_trap();

  // The same file with LF alone where it had CR LF (when it has no other CR).
  std::string lf;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool lineEnd = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    if (bytes[i] == '\r' && !lineEnd) return 0;
    if (!lineEnd) lf += bytes[i];
  }
  const kamt::ArchiveFileReadResult again = kamt::ParseArchiveFile(lf);
  if (again.contents.has_value() != result.contents.has_value()) __builtin_trap();
  if (result.contents && again.contents->rows.size() != result.contents->rows.size()) __builtin_trap();
  return 0;
}
