#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kamt::sim {

// Where the verbose trace of requests and answers goes; empty when nobody listens.
using Logger = std::function<void(std::string_view)>;

std::string Hex(std::span<const std::uint8_t> bytes);

}  // namespace kamt::sim
