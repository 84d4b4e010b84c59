#include "meter/exchange.h"

#include <algorithm>
#include <string>

#include "link/check_response.h"
#include "link/client_socket.h"
#include "link/crc16.h"
#include "link/link.h"
#include "link/modbus.h"
#include "link/rtu_tcp_transact.h"
#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/tcp_transact.h"
#include "link/traffic_event.h"
#include "setup/window.h"

namespace kamt {
namespace {

// Serial frame: address, function, data, CRC (low byte first).
void BuildSerialFrame(Link& link, const Request& request) {
  FrameBuffers& f = link.frames;
  f.TxBuffer[0] = static_cast<std::uint8_t>(link.LinkSettings.NetAddr & 0xFF);
  f.TxBuffer[1] = request.function;
  std::copy(request.data.begin(), request.data.end(), f.TxBuffer.begin() + 2);
  const auto length = static_cast<std::uint8_t>(2 + request.data.size());
  Crc16Append(f.TxBuffer, length);
  f.TxLength = length + 2;
  f.RxLength = std::min<int>(request.serialAnswerLength, static_cast<int>(f.RxBuffer.size()));
}

// Modbus TCP: the PDU from TxBuffer[1]; byte 0 is not used.
void BuildTcpPdu(Link& link, const Request& request) {
  FrameBuffers& f = link.frames;
  f.TxBuffer[1] = request.function;
  std::copy(request.data.begin(), request.data.end(), f.TxBuffer.begin() + 2);
  f.TxLength = static_cast<int>(1 + request.data.size());
}

ExchangeResult Show(Window& window, const Verdict& verdict) {
  if (verdict) return ExchangeResult::Accepted;
  window.ShowMessage(verdict.text);
  return ExchangeResult::Rejected;
}

ExchangeResult Check(Link& link, Window& window, const Request& request, int pduOffset,
                     std::span<std::uint8_t> dataArea) {
  FrameBuffers& f = link.frames;
  const auto pdu = std::span<const std::uint8_t>(f.RxBuffer).subspan(static_cast<std::size_t>(pduOffset));
  return Show(window, CheckResponse(request, pdu, f.RxLength, dataArea));
}

// The RTU frame and its checks, over the serial port or a converter's TCP connection: the
// same frames, texts and messages.
ExchangeResult RtuExchange(Link& link, Window& window, const Request& request, std::span<std::uint8_t> dataArea,
                           std::string_view progressText) {
  FrameBuffers& f = link.frames;
  BuildSerialFrame(link, request);
  if (!progressText.empty()) window.SetStatusText(1, progressText);
  const auto tx = std::span<const std::uint8_t>(f.TxBuffer).first(static_cast<std::size_t>(f.TxLength));
  const auto rx = std::span(f.RxBuffer).first(static_cast<std::size_t>(f.RxLength));
  f.RxLength = static_cast<int>(link.IsSerial() ? SerialTransact(link.port, tx, rx, window, link.clock)
                                                : ConverterTransact(link, tx, rx, window));
  if (f.RxLength < 1) return ExchangeResult::NoAnswer;
  if (Crc16Check(f.RxBuffer, static_cast<std::uint8_t>(f.RxLength)) != 0) return ExchangeResult::CrcError;
  f.RxLength -= static_cast<int>(modbus::kRtuOverhead);
  // A frame too short for a PDU is refused for its length, whatever its first byte says.
  if (f.RxLength > 0) {
    if (const Verdict from = CheckAnswerAddress(f.TxBuffer[0], f.RxBuffer[0]); !from) return Show(window, from);
  }
  return Check(link, window, request, 1, dataArea);
}

ExchangeResult TcpExchange(Link& link, Window& window, const Request& request, std::span<std::uint8_t> dataArea,
                           std::string_view progressText) {
  FrameBuffers& f = link.frames;
  BuildTcpPdu(link, request);
  if (!progressText.empty()) window.SetStatusText(1, progressText);
  // Panel 2 tells of this exchange only, never of an earlier one.
  window.SetStatusText(2, "");
  const auto pdu = std::span<const std::uint8_t>(f.TxBuffer).subspan(1, static_cast<std::size_t>(f.TxLength));
  const TcpResult tcp = TcpTransact(link, pdu, f.RxBuffer, f.RxLength);
  // Every exchange runs the pending events (a click on an abort button) at least once; a
  // wait has run them already.
  if (!tcp.waited) window.ProcessEvents();
  if (tcp.result != 0) {
    if (!tcp.text.empty()) window.SetStatusText(2, tcp.text);
    return ExchangeResult::TcpFailed;
  }
  return Check(link, window, request, 0, dataArea);
}

}  // namespace

ExchangeResult Exchange(Link& link, Window& window, const Request& request, std::span<std::uint8_t> dataArea,
                        std::string_view progressText) {
  return link.UsesSerialRules() ? RtuExchange(link, window, request, dataArea, progressText)
                                : TcpExchange(link, window, request, dataArea, progressText);
}

std::string_view FailureMessage(ExchangeResult result) {
  switch (result) {
    case ExchangeResult::NoAnswer: return "Устройство не отвечает!";
    case ExchangeResult::CrcError: return "Ошибка CRC!";
    case ExchangeResult::Repeated: return "Повтор предыдущего ответа!";
    default: return {};
  }
}

void ReportFailure(Window& window, ExchangeResult result, std::string_view failText) {
  if (result == ExchangeResult::Accepted || result == ExchangeResult::TcpFailed) return;
  const std::string_view message = FailureMessage(result);
  if (!message.empty()) window.ShowMessage(message);
  window.SetStatusText(1, failText);
}

std::uint32_t SerialTransact(SerialPort& port, std::span<const std::uint8_t> request,
                             std::span<std::uint8_t> answer, Window& window, Clock& clock) {
  window.SetStatusText(2, "");
  if (!port.IsOpen()) return 0;
  window.SetStatusText(2, "Передача запроса");
  window.ProcessEvents();
  SendRequest(port, request);
  window.SetStatusText(2, "Ожидание ответа");
  window.ProcessEvents();
  const std::size_t n = ReadAnswer(port, answer, clock);
  Trace(port.traffic, TrafficDirection::Received, TrafficKind::Rtu, answer.first(n));
  window.SetStatusText(2, "Принято " + std::to_string(n) + " байт");
  window.ProcessEvents();
  return static_cast<std::uint32_t>(n);
}

std::uint32_t ConverterTransact(Link& link, std::span<const std::uint8_t> request, std::span<std::uint8_t> answer,
                                Window& window) {
  window.SetStatusText(2, "");
  if (!link.socket.Connected()) {
    link.lastTcpFailure = TcpFailure::NotConnected;
    return 0;
  }
  window.SetStatusText(2, "Передача запроса");
  window.ProcessEvents();
  SendRtuFrame(link, request);
  window.SetStatusText(2, "Ожидание ответа");
  window.ProcessEvents();
  const std::size_t n = ReceiveRtuAnswer(link, answer).received;
  window.SetStatusText(2, "Принято " + std::to_string(n) + " байт");
  window.ProcessEvents();
  return static_cast<std::uint32_t>(n);
}

}  // namespace kamt
