#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/serial_line.h"

namespace kamt {

struct Link;

// How one exchange over a converter's connection went: the bytes of the answer received (0
// when none came), and whether the exchange ran the event loop while it waited.
struct RtuTcpResult {
  std::size_t received = 0;
  bool waited = false;
};

// An exchange with a meter behind a serial-to-Ethernet converter, in two steps as on the
// serial line. The RTU frame goes into the TCP connection as it would go onto the line; bytes
// waiting before it belong to no answer of it and are dropped. False (and link.lastTcpFailure
// NotConnected) when there is no connection to send on.
bool SendRtuFrame(Link& link, std::span<const std::uint8_t> request);

// Reads the answer under the serial line's rules. It ends as soon as the length the request
// predicts (answer.size()) is in, or a whole exception frame, or when the serial time-outs run
// out (with firstByteLimitMs > 0 the first byte must come within that), or when the connection
// goes (link.lastTcpFailure NotConnected). The stream may bring the answer in pieces; bytes
// behind it stay for the next request to drop.
RtuTcpResult ReceiveRtuAnswer(Link& link, std::span<std::uint8_t> answer, const ReadStop& stop = {},
                              int firstByteLimitMs = 0);

// Both steps, for callers that show nothing between them.
RtuTcpResult RtuTcpTransact(Link& link, std::span<const std::uint8_t> request, std::span<std::uint8_t> answer,
                            const ReadStop& stop = {}, int firstByteLimitMs = 0);

}  // namespace kamt
