#include "setup/modem_hang_up.h"

#include <algorithm>
#include <string>

#include "link/clock.h"
#include "link/frame_buffers.h"
#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/traffic_event.h"

namespace kamt {
namespace {

// A Hayes modem leaves its data mode only after a second of silence on both sides of "+++".
constexpr int kGuardTimeMs = 1000;
// "\r\nOK\r\n": the modem's whole answer to "+++" and to "ATH".
constexpr std::size_t kModemAnswerLength = 6;

void Send(SerialPort& port, FrameBuffers& f, std::string_view command, const ModemExchangeSeen& seen) {
  std::copy(command.begin(), command.end(), f.TxBuffer.begin());
  f.TxLength = static_cast<int>(command.size());
  port.Purge();
  const auto bytes = std::span(f.TxBuffer).first(command.size());
  port.Write(bytes);
  Trace(port.traffic, TrafficDirection::Sent, TrafficKind::ModemText, bytes);
  if (seen) seen(">>", bytes);
}

bool AnsweredOk(SerialPort& port, Clock& clock, FrameBuffers& f, const ModemExchangeSeen& seen) {
  const std::size_t n = ReadAnswer(port, std::span(f.RxBuffer).first(kModemAnswerLength), clock);
  f.RxLength = static_cast<int>(n);
  const auto bytes = std::span(f.RxBuffer).first(n);
  Trace(port.traffic, TrafficDirection::Received, TrafficKind::ModemText, bytes);
  if (seen && n > 0) seen("<<", bytes);
  const std::string_view answer(reinterpret_cast<const char*>(f.RxBuffer.data()), n);
  return n == kModemAnswerLength && answer.find("OK") != std::string_view::npos;
}

}  // namespace

HangUpResult HangUpModem(SerialPort& port, Clock& clock, FrameBuffers& frames, const ModemExchangeSeen& seen) {
  clock.Sleep(kGuardTimeMs);
  Send(port, frames, "+++", seen);
  clock.Sleep(kGuardTimeMs);
  if (!AnsweredOk(port, clock, frames, seen)) return HangUpResult::NoAnswer;
  Send(port, frames, "ATH\r", seen);
  return AnsweredOk(port, clock, frames, seen) ? HangUpResult::HungUp : HangUpResult::CommandMode;
}

}  // namespace kamt
