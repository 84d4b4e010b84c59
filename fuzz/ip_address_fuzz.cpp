// The address typed in the connection dialog or the communication group.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "setup/ip_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto bytes = kamt::ParseIpAddress(text);
  if (bytes && text.size() >= 20) __builtin_trap();  // a text that long is never an address
  return 0;
}
