#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kamt {

// How the bytes travel over an Ethernet connection: Modbus TCP (the MBAP header and the PDU),
// or plain RTU frames (address, PDU, CRC) that a serial-to-Ethernet converter passes to the
// meter's RS485 line unchanged.
enum class EthernetFraming { Mbap, Rtu };

// How the meter is reached: the one record of connection settings of a run. The choice codes
// of Bits, Parity, StopBits and Type are item positions in the connection dialog's lists, not
// line-protocol values.
struct LinkSettingsRecord {
  int PortIndex = 0;        // position of the chosen port in the dialog's list, -1 for none
  int Baudrate = 9600;      // bit/s
  int NetAddr = 1;          // Modbus device address 1..255; its low byte leads every frame
  int Bits = 4;             // 0..3 = 5..8 data bits, anything else 8
  int Parity = 2;           // 0 even, 1 odd, 2 none, 3 mark, 4 space, anything else none
  int StopBits = 0;         // 0 = 1, 1 = 1.5, 2 = 2 stop bits, anything else 1
  int Delay = 100;          // ms before each serial archive request
  bool Modem = false;       // the serial line goes through a dial-up modem
  std::string PortName;     // not persisted
  int Type = 0;             // 0 serial port, anything else Ethernet
  std::array<std::uint8_t, 4> IpBytes{};  // first number first; not persisted
  std::string IpAddr;       // as typed
  int TcpPort = 502;
  // Not in the described record: kept under [Ethernet] only when they differ from these.
  EthernetFraming Framing = EthernetFraming::Mbap;
  int UnitId = 0xFF;           // Modbus TCP unit identifier the meter answers
  bool UnitIdIsAddress = false;  // a gateway to an RS485 bus: the unit id is NetAddr

  bool IsSerial() const { return Type == 0; }
};

}  // namespace kamt
