#include "io/device_link.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kamt::sim {

namespace {
bool Fail(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}
}  // namespace

bool DeviceLink::Make(const std::string& path, const std::string& target, std::string& error) {
  struct stat st{};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return Fail(error, path + " exists and is not a symbolic link");
    if (unlink(path.c_str()) != 0) return Fail(error, path + ": " + std::strerror(errno));
  }
  if (symlink(target.c_str(), path.c_str()) != 0) return Fail(error, path + ": " + std::strerror(errno));
  path_ = path;
  target_ = target;
  return true;
}

// Only a link that still points at this simulator's device is ours to remove.
DeviceLink::~DeviceLink() {
  if (path_.empty()) return;
  char buffer[4096];
  const ssize_t n = readlink(path_.c_str(), buffer, sizeof buffer - 1);
  if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == target_) unlink(path_.c_str());
}

}  // namespace kamt::sim
