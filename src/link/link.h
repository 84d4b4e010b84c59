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

  bool IsSerial() const { return LinkSettings.IsSerial(); }
  // RTU frames carried in a TCP connection to a serial-to-Ethernet converter.
  bool IsRtuOverTcp() const { return !IsSerial() && LinkSettings.Framing == EthernetFraming::Rtu; }
  // The frames, time-outs, Delay and archive retries of the serial line: the serial port
  // itself, or its RS485 line reached through a converter.
  bool UsesSerialRules() const { return IsSerial() || IsRtuOverTcp(); }
  // The unit identifier of a Modbus TCP request: 0xFF for the meter itself, the meter's
  // address for a gateway in front of an RS485 bus.
  std::uint8_t TcpUnitId() const {
    return static_cast<std::uint8_t>((LinkSettings.UnitIdIsAddress ? LinkSettings.NetAddr : LinkSettings.UnitId) & 0xFF);
  }
};

}  // namespace kamt
