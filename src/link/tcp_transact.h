#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/traffic_event.h"

namespace kamt {

class ClientSocket;
struct Link;

inline constexpr std::size_t kTcpFrameSize = 1600;  // TcpTxFrame and TcpRxFrame
inline constexpr int kTcpAnswerLimitMs = 3000;

// How one Modbus TCP exchange went. result 0: accepted (answerLength = its PDU length); -1:
// failed, with the fault for status panel 2 in text (empty for a time-out or a lost
// connection, which show nothing there). waited: the exchange ran the event loop while it
// waited; one that needed no wait leaves that to its caller.
struct TcpResult {
  int result = -1;
  std::string text;
  bool waited = false;
};

// Reads and drops whatever the connection holds before a request goes out, traced as `kind`:
// a late answer to an earlier request, or what a converter passed on from its line, can never
// be the answer to the next one.
void DropArrivedBytes(ClientSocket& socket, TrafficKind kind);

// One request/answer exchange over the connected socket: wraps the PDU in the Modbus TCP
// header, sends it and waits at most 3000 ms for the whole answer, checks its header and puts
// its PDU at answer[0]. On a time-out answerLength is left as it was; on a bad header it is 0.
TcpResult TcpTransact(Link& link, std::span<const std::uint8_t> pdu, std::span<std::uint8_t> answer,
                      int& answerLength);

}  // namespace kamt
