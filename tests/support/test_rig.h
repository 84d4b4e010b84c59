#pragma once

#include "fake_client_socket.h"
#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "meter/session.h"

namespace kamt::test {

// A session wired to fakes: a serial port already open at address 1, or, after UseTcp, a
// connected socket.
struct TestRig {
  TestRig() {
    port.Open("/dev/ttyTEST");
    port.calls.clear();
    socket.onWait = [this] { window.ProcessEvents(); };
  }
  void UseTcp() {
    session.link.LinkSettings.Type = 1;
    socket.Open("192.168.0.1", 502);
    socket.AcceptConnection();
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeClientSocket socket{clock};
  FakeWindow window;
  Session session{window, port, socket, clock};
};

}  // namespace kamt::test
