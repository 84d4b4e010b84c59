#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kamt {

// Reads meter registers out of a data area: register k is at bytes 2k (high) and 2k + 1 (low);
// values of two or four registers come high word first.
class RegisterView {
 public:
  explicit RegisterView(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint16_t U16(std::size_t reg) const {
    return static_cast<std::uint16_t>(data_[2 * reg] << 8 | data_[2 * reg + 1]);
  }
  std::int16_t I16(std::size_t reg) const { return static_cast<std::int16_t>(U16(reg)); }
  std::uint32_t U32(std::size_t reg) const { return std::uint32_t{U16(reg)} << 16 | U16(reg + 1); }
  std::uint64_t U64(std::size_t reg) const { return std::uint64_t{U32(reg)} << 32 | U32(reg + 2); }
  float Float(std::size_t reg) const { return std::bit_cast<float>(U32(reg)); }

 private:
  std::span<const std::uint8_t> data_;
};

// Writes registers the same way.
class RegisterWriter {
 public:
  explicit RegisterWriter(std::span<std::uint8_t> data) : data_(data) {}

  void U16(std::size_t reg, std::uint16_t v) {
    data_[2 * reg] = static_cast<std::uint8_t>(v >> 8);
    data_[2 * reg + 1] = static_cast<std::uint8_t>(v & 0xFF);
  }
  void U32(std::size_t reg, std::uint32_t v) {
    U16(reg, static_cast<std::uint16_t>(v >> 16));
    U16(reg + 1, static_cast<std::uint16_t>(v & 0xFFFF));
  }
  void U64(std::size_t reg, std::uint64_t v) {
    U32(reg, static_cast<std::uint32_t>(v >> 32));
    U32(reg + 2, static_cast<std::uint32_t>(v & 0xFFFFFFFF));
  }
  void Float(std::size_t reg, float v) { U32(reg, std::bit_cast<std::uint32_t>(v)); }

 private:
  std::span<std::uint8_t> data_;
};

}  // namespace kamt
