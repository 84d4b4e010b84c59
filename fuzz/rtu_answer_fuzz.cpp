// An RTU answer as it comes off the line, through the checks and the decoders a service runs.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fake_window.h"
#include "link/check_response.h"
#include "link/crc16.h"
#include "meter/current_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The answer lands in the 256-byte RxBuffer; the read never takes more than was asked for.
  std::array<std::uint8_t, 256> rx{};
  const std::size_t n = std::min(size, rx.size());
  std::copy_n(data, n, rx.begin());
  if (kamt::Crc16Check(rx, static_cast<std::uint8_t>(n)) != 0) return 0;
  kamt::test::FakeWindow window;
  const int len = static_cast<int>(n) - 3;
  const auto pdu = std::span<const std::uint8_t>(rx).subspan(1);

  std::array<std::uint8_t, kamt::kCurrentDataSize> current{};
  if (kamt::CheckResponse(pdu, len, current, window) == 0) {
    const auto record = kamt::DecodeCurrentData(current);
    (void)kamt::FormatCurrentData(record, ",");
  }
  for (std::size_t area : {14u, 16u, 40u, 68u}) {
    std::array<std::uint8_t, 96> buffer{};
    (void)kamt::CheckResponse(pdu, len, std::span(buffer).first(area), window);
  }
  return 0;
}
