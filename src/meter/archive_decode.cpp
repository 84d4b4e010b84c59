#include "meter/archive_decode.h"

#include <bit>

namespace kamt {
namespace {

std::uint64_t BigEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (const std::uint8_t b : bytes) value = value << 8 | b;
  return value;
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t, 4> bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

}  // namespace

ArchiveRecord DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize> b) {
  ArchiveRecord r;
  r.hour = b[0];
  r.day = b[1];
  r.month = b[2];
  r.year = b[3];
  r.voltage = static_cast<std::uint16_t>(BigEndian(b.subspan<4, 2>()));
  r.failures = static_cast<std::uint16_t>(BigEndian(b.subspan<6, 2>()));
  r.volumePlus = static_cast<std::int64_t>(BigEndian(b.subspan<8, 8>()));
  r.volumeMinus = static_cast<std::int64_t>(BigEndian(b.subspan<16, 8>()));
  r.workSeconds = static_cast<std::uint32_t>(BigEndian(b.subspan<24, 4>()));
  r.pressure = std::bit_cast<float>(LittleEndian32(b.subspan<28, 4>()));
  r.temperature = std::bit_cast<float>(static_cast<std::uint32_t>(BigEndian(b.subspan<32, 4>())));
  r.errorCode = b[39];
  return r;
}

}  // namespace kamt
