#include <gtest/gtest.h>

#include <limits>

#include "hex.h"
#include "meter/archive_decode.h"

namespace kamt {
namespace {

struct DecodeCase {
  const char* name;
  const char* bytes;  // the 40 record bytes
  ArchiveRecord expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

}  // namespace

static void PrintTo(const ArchiveRecord& r, std::ostream* os) {
  *os << +r.hour << ' ' << +r.day << '.' << +r.month << '.' << +r.year << " U=" << r.voltage << " F=" << r.failures
      << " +" << r.volumePlus << " -" << r.volumeMinus << " t=" << r.workSeconds << " p=" << r.pressure
      << " T=" << r.temperature << " E=" << +r.errorCode;
}

namespace {

ArchiveRecord Record(std::uint8_t hour, std::uint8_t day, std::uint8_t month, std::uint8_t year, std::uint16_t voltage,
                     std::uint16_t failures, std::int64_t plus, std::int64_t minus, std::uint32_t work, float pressure,
                     float temperature, std::uint8_t error) {
  return {hour, day, month, year, voltage, failures, plus, minus, work, pressure, temperature, error};
}

const DecodeCase kDecodeCases[] = {
    {"every field in its place",
     "17 1F 0C 15  01 68  12 34  00 00 00 00 00 BC 61 4E  00 00 00 00 00 00 30 39  00 01 51 80"
     "  CD CC CC 40  C2 20 00 00  AA BB CC  0A",
     Record(23, 31, 12, 21, 360, 0x1234, 12345678, 12345, 86400, 6.4f, -40.0f, 0x0A)},
    // The same four bytes mean 1.0 in either field only when read in that field's own order.
    {"pressure least significant byte first, temperature most significant first",
     "00 01 01 00  00 00  00 00  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  00 00 00 00"
     "  00 00 80 3F  3F 80 00 00  00 00 00  00",
     Record(0, 1, 1, 0, 0, 0, 0, 0, 0, 1.0f, 1.0f, 0)},
    {"full-width values keep their top bits",
     "FF FF FF FF  FF FF  FF FF  80 00 00 00 00 00 00 00  FF FF FF FF FF FF FF FB  FF FF FF FF"
     "  00 00 00 00  00 00 00 00  FF FF FF  FF",
     Record(255, 255, 255, 255, 65535, 65535, std::numeric_limits<std::int64_t>::min(), -5, 0xFFFFFFFF, 0.0f, 0.0f,
            255)},
    {"a counter above 32 bits is kept whole",
     "00 00 00 00  00 00  00 00  00 00 00 01 00 00 00 02  7F FF FF FF FF FF FF FF  00 00 00 00"
     "  00 00 00 00  00 00 00 00  00 00 00  00",
     Record(0, 0, 0, 0, 0, 0, 0x100000002LL, std::numeric_limits<std::int64_t>::max(), 0, 0.0f, 0.0f, 0)},
};

class DecodeArchiveRecordTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeArchiveRecordTest, FieldsComeFromTheirBytes) {
  const std::vector<std::uint8_t> bytes = test::Hex(GetParam().bytes);
  ASSERT_EQ(bytes.size(), kArchiveRecordSize);
  const ArchiveRecord r = DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize>(bytes.data(), 40));
  EXPECT_EQ(r, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Records, DecodeArchiveRecordTest, ::testing::ValuesIn(kDecodeCases));

TEST(DecodeArchiveRecord, UnusedBytesChangeNothing) {
  std::vector<std::uint8_t> a(kArchiveRecordSize, 0x11);
  std::vector<std::uint8_t> b = a;
  b[36] = 0xEE;
  b[37] = 0xEE;
  b[38] = 0xEE;
  const ArchiveRecord ra = DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize>(a.data(), 40));
  const ArchiveRecord rb = DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize>(b.data(), 40));
  EXPECT_EQ(ra, rb);
}

}  // namespace
}  // namespace kamt
