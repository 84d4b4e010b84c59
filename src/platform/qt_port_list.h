#pragma once

#include "setup/port_list.h"

namespace kamt {

// The serial ports Qt SerialPort finds: on Windows their COM names; elsewhere their device
// paths, each followed by its stable /dev/serial/by-id names, which survive re-plugging an
// adapter into another USB socket.
class QtPortList : public PortList {
 public:
  std::vector<std::string> Names() const override;
};

}  // namespace kamt
