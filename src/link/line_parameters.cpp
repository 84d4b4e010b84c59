#include "link/link_settings.h"
#include "link/serial_port.h"

namespace kamt {

LineParameters MapLineParameters(const LinkSettingsRecord& settings) {
  LineParameters line;
  line.baudrate = settings.Baudrate;
  line.dataBits = (settings.Bits >= 0 && settings.Bits <= 2) ? settings.Bits + 5 : 8;
  switch (settings.Parity) {
    case 0: line.parity = Parity::Even; break;
    case 1: line.parity = Parity::Odd; break;
    case 3: line.parity = Parity::Mark; break;
    case 4: line.parity = Parity::Space; break;
    default: line.parity = Parity::None; break;
  }
  switch (settings.StopBits) {
    case 1: line.stopBits = StopBits::OneAndHalf; break;
    case 2: line.stopBits = StopBits::Two; break;
    default: line.stopBits = StopBits::One; break;
  }
  return line;
}

}  // namespace kamt
