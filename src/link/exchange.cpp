#include "link/exchange.h"

#include <algorithm>

#include "link/check_response.h"
#include "link/crc16.h"
#include "link/link.h"
#include "link/serial_transact.h"
#include "link/tcp_transact.h"
#include "link/window.h"

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

ExchangeResult Check(Link& link, int pduOffset, std::span<std::uint8_t> dataArea) {
  FrameBuffers& f = link.frames;
  const auto pdu = std::span<const std::uint8_t>(f.RxBuffer).subspan(static_cast<std::size_t>(pduOffset));
  return CheckResponse(pdu, f.RxLength, dataArea, link.window) == 0 ? ExchangeResult::Accepted
                                                                    : ExchangeResult::Rejected;
}

ExchangeResult SerialExchange(Link& link, const Request& request, std::span<std::uint8_t> dataArea,
                              std::string_view progressText) {
  FrameBuffers& f = link.frames;
  BuildSerialFrame(link, request);
  if (!progressText.empty()) link.window.SetStatusText(1, progressText);
  f.RxLength = static_cast<int>(SerialTransact(
      link.port, std::span(f.TxBuffer).first(static_cast<std::size_t>(f.TxLength)),
      std::span(f.RxBuffer).first(static_cast<std::size_t>(f.RxLength)), link.window, link.clock));
  if (f.RxLength < 1) return ExchangeResult::NoAnswer;
  if (Crc16Check(f.RxBuffer, static_cast<std::uint8_t>(f.RxLength)) != 0) return ExchangeResult::CrcError;
  f.RxLength -= 3;
  return Check(link, 1, dataArea);
}

ExchangeResult TcpExchange(Link& link, const Request& request, std::span<std::uint8_t> dataArea,
                           std::string_view progressText) {
  FrameBuffers& f = link.frames;
  BuildTcpPdu(link, request);
  if (!progressText.empty()) link.window.SetStatusText(1, progressText);
  const auto pdu = std::span<const std::uint8_t>(f.TxBuffer).subspan(1, static_cast<std::size_t>(f.TxLength));
  if (TcpTransact(link, pdu, f.RxBuffer, f.RxLength) != 0) return ExchangeResult::TcpFailed;
  return Check(link, 0, dataArea);
}

}  // namespace

ExchangeResult Exchange(Link& link, const Request& request, std::span<std::uint8_t> dataArea,
                        std::string_view progressText) {
  return link.IsSerial() ? SerialExchange(link, request, dataArea, progressText)
                         : TcpExchange(link, request, dataArea, progressText);
}

std::string_view FailureMessage(ExchangeResult result) {
  switch (result) {
    case ExchangeResult::NoAnswer: return "Устройство не отвечает!";
    case ExchangeResult::CrcError: return "Ошибка CRC!";
    default: return {};
  }
}

void ReportFailure(Link& link, ExchangeResult result, std::string_view failText) {
  if (result == ExchangeResult::Accepted || result == ExchangeResult::TcpFailed) return;
  const std::string_view message = FailureMessage(result);
  if (!message.empty()) link.window.ShowMessage(message);
  link.window.SetStatusText(1, failText);
}

}  // namespace kamt
