// A Modbus TCP answer, in up to three segments, through the exchange's header checks and the
// response check.
#include <array>
#include <cstddef>
#include <cstdint>

#include "fake_client_socket.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "link/check_response.h"
#include "link/tcp_transact.h"
#include "meter/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  kamt::test::FakeClock clock;
  kamt::test::FakeSerialPort port{clock};
  kamt::test::FakeClientSocket socket{clock};
  kamt::test::FakeWindow window;
  kamt::Session session{window, port, socket, clock};
  session.link.LinkSettings.Type = 1;
  socket.Open("127.0.0.1", 502);
  socket.AcceptConnection();
  // The first byte chooses where the answer is cut, the second whether it echoes the
  // transaction identifier; the rest is the answer.
  const std::size_t cut = data[0];
  const bool echo = data[1] & 1;
  std::vector<std::uint8_t> answer(data + 2, data + size);
  socket.responders.push_back([=](std::span<const std::uint8_t> sent) {
    std::vector<std::uint8_t> frame = answer;
    if (echo && frame.size() >= 2) {
      frame[0] = sent[0];
      frame[1] = sent[1];
    }
    const std::size_t at = std::min(cut, frame.size());
    return std::vector<kamt::test::FakeClientSocket::Segment>{
        {1, {frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(at)}},
        {700, {frame.begin() + static_cast<std::ptrdiff_t>(at), frame.end()}}};
  });
  const std::array<std::uint8_t, 5> pdu = {0x04, 0x10, 0x00, 0x00, 0x30};
  auto& f = session.link.frames;
  if (kamt::TcpTransact(session.link, pdu, f.RxBuffer, f.RxLength).result == 0) {
    std::array<std::uint8_t, kamt::kCurrentDataSize> area{};
    const std::array<std::uint8_t, 4> asked = {0x10, 0x00, 0x00, 0x30};
    (void)kamt::CheckResponse({0x04, asked, 0}, f.RxBuffer, f.RxLength, area);
  }
  return 0;
}
