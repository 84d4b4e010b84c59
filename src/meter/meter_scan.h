#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace kamt {

struct Link;

// A bit rate and parity tried, with 8 data bits and one stop bit (a meter set to two stop bits
// reads one-stop frames and is read by them all the same).
struct ScanLine {
  int baudrate = 9600;
  Parity parity = Parity::None;
};

// What a search for meters tries: an address range, the bit rates and parities (only on the
// serial port: a converter's line is set in the converter), and how long an address may take
// to start its answer after the request has left the line.
struct ScanPlan {
  int firstAddress = 1;
  int lastAddress = 247;
  std::vector<int> baudrates = {1200, 2400, 4800, 9600, 19200, 38400};
  std::vector<Parity> parities = {Parity::None, Parity::Even, Parity::Odd};
  int windowMs = 100;
};

// The line settings in the order tried: the meters' usual 9600 bit/s first, then the others
// as listed, each at every parity in the plan's order (none first by default). Over a
// converter only the one line there is.
std::vector<ScanLine> ScanLines(const ScanPlan& plan);

// The time a request of `bytes` bytes takes on a line: a start bit, 8 data bits, the parity
// bit if any and a stop bit each, rounded up to the millisecond.
int WireTimeMs(int bytes, const ScanLine& line);

// A meter that answered the current-data request with a valid answer from its address.
struct ScanFind {
  int address = 0;
  ScanLine line;
  bool lineKnown = true;  // false over a converter, whose line the search does not set
  std::uint16_t serialNumber = 0;
};

// Told of the search as it goes; asked whether to stop between attempts and while one waits.
class ScanListener {
 public:
  virtual ~ScanListener() = default;
  virtual void Progress(int done, int total, long long leftMs) = 0;
  virtual void Found(const ScanFind& find) = 0;
  // The port refused a line setting (a pseudo-terminal refuses some parities): its addresses
  // are not tried.
  virtual void LineRefused(const ScanLine& line, const std::vector<std::string>& refused) = 0;
  virtual bool Stopped() = 0;
};

struct ScanResult {
  std::vector<ScanFind> found;
  int attempts = 0;
  int total = 0;
  bool stopped = false;
  bool connectionLost = false;  // the port or the converter's connection went: the search ended
};

// Tries each address of the plan at each line setting with the current-data request, over the
// open serial port or the converter's connection the link uses. An address that has answered
// is not tried again at the other settings. A silent address costs the request's time on the
// line and the window; an answer whose first byte comes within them is read whole under the
// serial rules. The port gets the link's own line settings back at the end.
ScanResult ScanMeters(Link& link, const ScanPlan& plan, ScanListener& listener);

// "9600 8N1", or the address alone over a converter: "адрес 17, 9600 8N1, зав. номер 1234".
std::string LineText(const ScanLine& line);
std::string FindText(const ScanFind& find);

}  // namespace kamt
