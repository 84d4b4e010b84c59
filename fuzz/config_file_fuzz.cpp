// Configuration files as an editor or a disk may leave them: a file is refused with a reason
// or read whole, and what is read is written back to the same values and compares equal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "meter/config_backup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto backup = kamt::ParseBackup(text, error);
  if (!backup) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  std::string again;
  const auto back = kamt::ParseBackup(kamt::FormatBackup(*backup), again);
  if (!back || !kamt::CompareBackups(*backup, *back).empty()) __builtin_trap();
  return 0;
}
