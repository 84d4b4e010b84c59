#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kamt {

struct Link;

// One request of a service: its function code, the data after it, and the length of the
// whole serial answer expected (address, PDU, CRC).
struct Request {
  std::uint8_t function = 0;
  std::span<const std::uint8_t> data;
  int serialAnswerLength = 0;
};

enum class ExchangeResult {
  Accepted,   // checked and its data copied into the data area
  NoAnswer,   // serial: no byte came (or no port)
  CrcError,   // serial: the CRC did not match
  Rejected,   // CheckResponse refused it and has shown its message
  TcpFailed,  // TcpTransact failed and has reported in panel 2
};

// Builds the request in TxBuffer for the transport chosen by LinkSettings.Type, sets
// progressText in status panel 1 (unless it is empty), exchanges it and checks the answer.
// Nothing is shown for NoAnswer and CrcError: the caller decides when to say so.
ExchangeResult Exchange(Link& link, const Request& request, std::span<std::uint8_t> dataArea,
                        std::string_view progressText);

// The message box text of a serial failure ("Устройство не отвечает!", "Ошибка CRC!"); empty
// for the results that have already been reported or need no message.
std::string_view FailureMessage(ExchangeResult result);

// How a single command reports a failed exchange: the message box of a serial failure, then
// failText in status panel 1; nothing after a TCP failure, which TcpTransact reported itself.
void ReportFailure(Link& link, ExchangeResult result, std::string_view failText);

}  // namespace kamt
