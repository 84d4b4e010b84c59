#include "setup/connection_text.h"

#include "link/serial_port.h"

namespace kamt {
namespace {

std::string_view ParityName(Parity parity) {
  switch (parity) {
    case Parity::Even: return ParityNames[0];
    case Parity::Odd: return ParityNames[1];
    case Parity::Mark: return ParityNames[3];
    case Parity::Space: return ParityNames[4];
    case Parity::None: break;
  }
  return ParityNames[2];
}

std::string_view StopBitName(StopBits stopBits) {
  switch (stopBits) {
    case StopBits::OneAndHalf: return StopBitNames[1];
    case StopBits::Two: return StopBitNames[2];
    case StopBits::One: break;
  }
  return StopBitNames[0];
}

}  // namespace

std::string LineDescription(const LinkSettingsRecord& s) {
  const LineParameters line = MapLineParameters(s);
  return s.PortName + ":" + std::to_string(s.Baudrate) + ":" + std::to_string(line.dataBits) + ":" +
         std::string(ParityName(line.parity)) + ":" + std::string(StopBitName(line.stopBits));
}

std::string DottedAddress(const std::array<std::uint8_t, 4>& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." + std::to_string(ip[3]);
}

}  // namespace kamt
