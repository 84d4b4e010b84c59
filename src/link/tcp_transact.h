#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kamt {

struct Link;

inline constexpr std::size_t kTcpFrameSize = 1600;  // TcpTxFrame and TcpRxFrame
inline constexpr int kTcpAnswerLimitMs = 3000;
inline constexpr std::uint8_t kTcpUnitId = 0xFF;      // the meter answers unit 0xFF over TCP

// One request/answer exchange over the connected socket: wraps the PDU in the Modbus TCP
// header, sends it and waits at most 3000 ms for the whole answer, checks its header and puts
// its PDU at answer[0]. Returns 0 when accepted (answerLength = PDU length) and -1 on failure:
// silently on a time-out (answerLength unchanged), with the fault in status panel 2 and
// answerLength = 0 on a bad header.
int TcpTransact(Link& link, std::span<const std::uint8_t> pdu, std::span<std::uint8_t> answer,
                int& answerLength);

}  // namespace kamt
