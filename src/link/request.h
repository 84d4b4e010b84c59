#pragma once

#include <cstdint>
#include <span>

namespace kamt {

// One request of a service: its function code, the data after it, and the length of the
// whole serial answer expected (address, PDU, CRC). The answer is matched against it.
struct Request {
  std::uint8_t function = 0;
  std::span<const std::uint8_t> data;
  int serialAnswerLength = 0;
};

}  // namespace kamt
