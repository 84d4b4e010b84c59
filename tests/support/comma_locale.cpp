#include "comma_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace kamt::test {
namespace {

// Compiles ru_RU.UTF-8 once per test process from the locale sources glibc ships, when the
// machine has not generated it (scripts/deps does). Each process builds its own copy: tests run
// side by side, and one must never take another's half-written locale.
bool BuildPrivateLocale() {
  static const bool built = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("kamt-test-locales-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string target = (dir / "ru_RU.UTF-8").string();
    const std::string command = "localedef -i ru_RU -f UTF-8 " + target + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(target)) return false;
    return setenv("LOCPATH", dir.c_str(), 1) == 0;
  }();
  return built;
}

}  // namespace

CommaLocale::CommaLocale() {
  std::strncpy(saved_, std::setlocale(LC_NUMERIC, nullptr), sizeof saved_ - 1);
  active_ = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr ||
            (BuildPrivateLocale() && std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr);
  active_ = active_ && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

CommaLocale::~CommaLocale() { std::setlocale(LC_NUMERIC, saved_); }

}  // namespace kamt::test
