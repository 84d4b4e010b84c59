#pragma once

#include <string>

namespace kamt::sim {

// A symbolic link to the serial device under a stable name, removed again when this goes.
class DeviceLink {
 public:
  DeviceLink() = default;
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // Replaces an existing symbolic link; refuses to replace anything else.
  bool Make(const std::string& path, const std::string& target, std::string& error);

 private:
  std::string path_;
  std::string target_;
};

}  // namespace kamt::sim
