#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kamt {

struct LinkSettingsRecord;
class TrafficSink;

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineParameters {
  int baudrate = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
};

// The line parameters that the settings' choice codes stand for; a code outside its list
// means 8 data bits, no parity, one stop bit.
LineParameters MapLineParameters(const LinkSettingsRecord& settings);

enum class OpenFailure { None, NotFound, AccessDenied, InUse, Other };

// A serial device as the link needs it: opened exclusively by name, given its line
// parameters, and a byte pipe whose reads wait without freezing the program.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual bool Open(const std::string& name) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Why the last Open failed, with the system's own words in detail.
  virtual OpenFailure LastOpenFailure() const = 0;
  virtual std::string LastOpenDetail() const = 0;

  // Applies what the device accepts and goes on past what it refuses; returns the names of
  // the refused settings ("parity", "stop bits", ...), empty when all were applied.
  virtual std::vector<std::string> Configure(const LineParameters& line) = 0;

  // Discards whatever waits in the driver's transmit and receive queues.
  virtual void Purge() = 0;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
  // Waits at most timeoutMs for at least one byte and takes what has arrived, up to
  // destination.size(); 0 when nothing came. The event loop runs while it waits.
  virtual std::size_t ReadSome(std::span<std::uint8_t> destination, int timeoutMs) = 0;

  // Where the frames and modem texts that pass this line are reported (the traffic monitor,
  // kamt --trace); nullptr when nobody looks, which costs the exchange one test.
  TrafficSink* traffic = nullptr;
};

}  // namespace kamt
