#pragma once

#include <string>
#include <vector>

namespace kamt {

// The serial ports present on the machine, for the connection dialog's port box.
class PortList {
 public:
  virtual ~PortList() = default;
  // Their names as the user opens them (COM1; /dev/ttyUSB0), in the platform's order.
  virtual std::vector<std::string> Names() const = 0;
};

}  // namespace kamt
