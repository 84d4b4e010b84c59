#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "link/request.h"

namespace kamt {

class Clock;
class SerialPort;
class Window;
struct Link;

enum class ExchangeResult {
  Accepted,   // checked and its data copied into the data area
  NoAnswer,   // serial: no byte came (or no port)
  CrcError,   // serial: the CRC did not match
  Rejected,   // not the answer asked for, or an exception: its message has been shown
  TcpFailed,  // the TCP exchange failed and status panel 2 says why
  Repeated,   // an archive answer that repeats a record read before it: a late copy
};

// The one place where an exchange meets the window: it builds the request in TxBuffer for the
// transport chosen by LinkSettings (an RTU frame for the serial port and for a converter, a
// PDU for Modbus TCP), sets progressText in status panel 1 (unless it is
// empty), exchanges it, checks the answer against the request, and shows what the link
// reports: the exchange's state in panel 2 and the message box of a refused answer. Nothing is
// shown for NoAnswer and CrcError: the caller decides when to say so.
ExchangeResult Exchange(Link& link, Window& window, const Request& request, std::span<std::uint8_t> dataArea,
                        std::string_view progressText);

// The message box text of a serial failure ("Устройство не отвечает!", "Ошибка CRC!"); empty
// for the results that have already been reported or need no message.
std::string_view FailureMessage(ExchangeResult result);

// How a single command reports a failed exchange: the message box of a serial failure, then
// failText in status panel 1; nothing after a TCP failure, which panel 2 already tells.
void ReportFailure(Window& window, ExchangeResult result, std::string_view failText);

// One request/answer exchange over the open serial port with its texts in status panel 2:
// "Передача запроса", "Ожидание ответа", "Принято n байт". Returns the number of answer bytes
// received; 0 when no port is open or nothing came.
std::uint32_t SerialTransact(SerialPort& port, std::span<const std::uint8_t> request,
                             std::span<std::uint8_t> answer, Window& window, Clock& clock);

// The same over the TCP connection to a serial-to-Ethernet converter, with the same texts: its
// frames and time-outs are the serial line's. 0 when there is no connection or nothing came.
std::uint32_t ConverterTransact(Link& link, std::span<const std::uint8_t> request, std::span<std::uint8_t> answer,
                                Window& window);

}  // namespace kamt
