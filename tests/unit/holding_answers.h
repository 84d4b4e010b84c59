#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "cli/field_assignments.h"
#include "fake_client_socket.h"
#include "fake_serial_port.h"
#include "test_rig.h"

namespace kamt::test {

// A service's data area holding `bytes`, zeros after them.
template <std::size_t N>
std::array<std::uint8_t, N> AreaOf(const std::vector<std::uint8_t>& bytes) {
  std::array<std::uint8_t, N> area{};
  std::copy_n(bytes.begin(), std::min(N, bytes.size()), area.begin());
  return area;
}

// The serial answer to a 0x03 read: address 1, the byte count, the registers, the CRC.
inline std::vector<std::uint8_t> ReadAnswer(std::span<const std::uint8_t> registers) {
  std::vector<std::uint8_t> frame = {0x01, 0x03, static_cast<std::uint8_t>(registers.size())};
  frame.insert(frame.end(), registers.begin(), registers.end());
  return WithCrc(frame);
}

// The serial answer to a 0x10 write from `start` of `count` registers.
inline std::vector<std::uint8_t> WriteAnswer(std::uint16_t start, std::uint16_t count) {
  return WithCrc({0x01, 0x10, static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                  static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)});
}

// A Modbus TCP peer's answer carrying `pdu`, with the request's transaction identifier.
inline FakeClientSocket::Responder TcpAnswer(std::vector<std::uint8_t> pdu) {
  return [pdu](std::span<const std::uint8_t> sent) {
    std::vector<std::uint8_t> frame = {sent[0], sent[1], 0, 0, 0, static_cast<std::uint8_t>(pdu.size() + 1), 0xFF};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return std::vector<FakeClientSocket::Segment>{{2, frame}};
  };
}

// The PDU of a serial answer: without its address and CRC.
inline std::vector<std::uint8_t> PduOf(const std::vector<std::uint8_t>& frame) {
  return {frame.begin() + 1, frame.end() - 2};
}

// A rig whose window has the main window's combo-box lists.
struct MainWindowRig : TestRig {
  MainWindowRig() { FillComboLists(window); }
};

}  // namespace kamt::test
