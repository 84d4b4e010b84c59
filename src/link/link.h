#pragma once

#include <cstdint>

#include "link/frame_buffers.h"
#include "link/link_settings.h"

namespace kamt {

class ClientSocket;
class Clock;
class SerialPort;

// Why the last Modbus TCP exchange failed; the window shows only the header faults, the
// command line says the rest too.
enum class TcpFailure { None, NotConnected, NoAnswer, BadHeader };

// Everything an exchange touches: the two transports, the clock, the shared buffers and the
// connection settings of the run. It knows nothing of windows: it reports, the caller shows.
struct Link {
  Link(SerialPort& p, ClientSocket& s, Clock& c) : port(p), socket(s), clock(c) {}

  SerialPort& port;       // stands for PortHandle: open or not
  ClientSocket& socket;   // ClientSocket1
  Clock& clock;

  FrameBuffers frames;
  LinkSettingsRecord LinkSettings;
  std::uint16_t TransactionId = 0;
  bool TcpDataReady = false;
  TcpFailure lastTcpFailure = TcpFailure::None;

  bool IsSerial() const { return LinkSettings.Type == 0; }
};

}  // namespace kamt
