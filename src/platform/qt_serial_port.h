#pragma once

#include "platform/event_wait.h"
#include <QSerialPort>
#include <QTimer>

#include "link/serial_port.h"

namespace kamt {

// The serial device on Qt SerialPort. Reads wait in a nested event loop, so the window keeps
// repainting and its buttons keep working while an answer is awaited.
class QtSerialPort : public SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;

  bool Open(const std::string& name) override;
  bool IsOpen() const override;
  void Close() override;
  OpenFailure LastOpenFailure() const override { return failure_; }
  std::string LastOpenDetail() const override { return detail_; }
  std::vector<std::string> Configure(const LineParameters& line) override;
  void Purge() override;
  void Write(std::span<const std::uint8_t> bytes) override;
  std::size_t ReadSome(std::span<std::uint8_t> destination, int timeoutMs) override;
  // Ends the wait of a ReadSome now under way, as if its time had run out (the program is
  // closing and the command waiting must end first).
  void Interrupt();

 private:
  void OnError(QSerialPort::SerialPortError error);
  void CloseIfHungUp();

  QSerialPort port_;
  OpenFailure failure_ = OpenFailure::None;
  std::string detail_;
  EventWait wait_;
  QTimer hangUpCheck_;  // while a read waits
};

}  // namespace kamt
