#include <gtest/gtest.h>

#include <limits>

#include "hex.h"
#include "meter/archive_decode.h"

namespace kamt {

static void PrintTo(const ArchiveRecord& r, std::ostream* os) {
  *os << +r.hour << ' ' << +r.day << '.' << +r.month << '.' << +r.year << " U=" << r.voltage << " F=" << r.failures
      << " +" << r.volumePlus << " -" << r.volumeMinus << " t=" << r.workSeconds << " p=" << r.pressure
      << " T=" << r.temperature << " E=" << +r.errorCode;
}

namespace {

// Pressure comes least significant byte first, temperature most significant first; bytes 36-38
// are unused; every other field is unsigned and most significant byte first.
TEST(DecodeArchiveRecord, FieldsComeFromTheirBytes) {
  const struct {
    const char* bytes;  // the 40 record bytes
    ArchiveRecord expected;
  } cases[] = {
      {"17 1F 0C 15  01 68  12 34  00 00 00 00 00 BC 61 4E  00 00 00 00 00 00 30 39  00 01 51 80"
       "  CD CC CC 40  C2 20 00 00  AA BB CC  0A",
       {23, 31, 12, 21, 360, 0x1234, 12345678, 12345, 86400, 6.4f, -40.0f, 0x0A}},
      {"FF FF FF FF  FF FF  FF FF  80 00 00 01 00 00 00 02  7F FF FF FF FF FF FF FB  FF FF FF FF"
       "  00 00 80 3F  3F 80 00 00  FF FF FF  FF",
       {255, 255, 255, 255, 65535, 65535, std::numeric_limits<std::int64_t>::min() + 0x100000002, 0x7FFFFFFFFFFFFFFB,
        0xFFFFFFFF, 1.0f, 1.0f, 255}},
  };
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> bytes = test::Hex(c.bytes);
    ASSERT_EQ(bytes.size(), kArchiveRecordSize);
    EXPECT_EQ(DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize>(bytes.data(), 40)), c.expected)
        << c.bytes;
  }
}

}  // namespace
}  // namespace kamt
