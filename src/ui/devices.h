#pragma once

#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_list.h"
#include "platform/qt_serial_port.h"

namespace kamt {

// What the window program talks through: the serial port, the TCP client, the clock and the
// machine's list of serial ports.
struct Devices {
  QtSerialPort port;
  QtClientSocket socket;
  QtClock clock;
  QtPortList ports;
};

}  // namespace kamt
