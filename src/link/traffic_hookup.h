#pragma once

#include "link/client_socket.h"
#include "link/serial_port.h"
#include "link/traffic_event.h"

namespace kamt {

// Points both transports at a sink, or at none (nullptr): from then on every frame on the
// serial line, the modem's texts and every Modbus TCP frame reach it.
inline void AttachTraffic(SerialPort& port, ClientSocket& socket, TrafficSink* sink) {
  port.traffic = sink;
  socket.traffic = sink;
}

}  // namespace kamt
