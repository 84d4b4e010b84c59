#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>

#include "hex.h"
#include "link/traffic_file.h"
#include "link/traffic_log.h"
#include "temp_dir.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;
constexpr auto TX = TrafficDirection::Sent;
constexpr auto RX = TrafficDirection::Received;

// A clock that moves on 1 ms with every reading.
struct SteppingTime {
  std::uint32_t next = 0;
  std::uint32_t operator()() { return next++; }
};

// Event i carries the bytes i, i >> 8.
void RecordNumbered(TrafficLog& log, int count) {
  for (int i = 0; i < count; ++i) {
    const std::uint8_t frame[] = {static_cast<std::uint8_t>(i & 0xFF), static_cast<std::uint8_t>(i >> 8)};
    log.Record(TX, TrafficKind::ModemText, frame);
  }
}

std::string BytesOf(const std::filesystem::path& path) { return ReadFileBytes(path).value_or("<none>"); }

// The bytes of event n, or "gone".
std::string Kept(const TrafficLog& log, std::uint64_t n) {
  const TrafficEvent* e = log.Find(n);
  return e ? test::ToHex(e->bytes) : "gone";
}

TEST(TrafficLog, KeepsTheNewestTenThousandAndDropsTheOldest) {
  TrafficLog log;
  RecordNumbered(log, 10003);
  EXPECT_EQ(log.size(), 10000u);
  EXPECT_EQ(std::pair(log.FirstNumber(), log.EndNumber()), std::pair(std::uint64_t{3}, std::uint64_t{10003}));
  for (const auto& [n, bytes] : {std::pair{2, "gone"}, {3, "03 00"}, {10002, "12 27"}, {10003, "gone"}}) {
    EXPECT_EQ(Kept(log, static_cast<std::uint64_t>(n)), bytes) << n;
  }
}

TEST(TrafficLog, TextTakesOnlyTheEventsStillKeptAndClearForgetsThem) {
  TrafficLog log(2, SteppingTime{1000});
  RecordNumbered(log, 3);  // 0 dropped; 1 and 2 kept
  EXPECT_EQ(log.Text(0, 10, "|"),
            "00:00:01.001\tTX\t01 00\tмодем: <01><00>|"
            "00:00:01.002\tTX\t02 00\tмодем: <02><00>|");
  EXPECT_EQ(log.Text(2, 3, "\n"), "00:00:01.002\tTX\t02 00\tмодем: <02><00>\n");
  EXPECT_EQ(log.Text(3, 3, "\n"), "");
  // Clear forgets all but goes on numbering.
  log.Clear();
  EXPECT_EQ(log.size(), 0u);
  EXPECT_EQ(std::pair(log.FirstNumber(), log.EndNumber()), std::pair(std::uint64_t{3}, std::uint64_t{3}));
  EXPECT_EQ(Kept(log, 2), "gone");
  RecordNumbered(log, 1);
  EXPECT_EQ(Kept(log, 3), "00 00");
}

// The time of day is the zone's, also when it is another day in UTC.
TEST(LocalTimeOfDay, FollowsTheZonesOffsetFromUtc) {
  const char* before = std::getenv("TZ");
  const std::string saved = before ? before : "";
  ::setenv("TZ", "EAST-13", 1);  // thirteen hours ahead of UTC
  ::tzset();
  const std::int64_t utcMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch()).count();
  const std::int64_t got = LocalTimeOfDay()();
  before ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
  constexpr std::int64_t kDay = 86400000;
  const std::int64_t apart = ((got - (utcMs + 13 * 3600000)) % kDay + kDay) % kDay;
  EXPECT_LE(std::min(apart, kDay - apart), 1000) << got;
  EXPECT_LT(got, kDay);
}

// An empty log replaces an earlier file whole.
TEST(TrafficFile, IsWindows1251WithTabsAndCrLf) {
  test::TempDir dir;
  std::ofstream(dir.path / "traffic.txt", std::ios::binary) << std::string(5000, 'x');
  ASSERT_TRUE(SaveTrafficLog(TrafficLog(), dir.path / "traffic.txt"));
  EXPECT_EQ(BytesOf(dir.path / "traffic.txt"), "");
  TrafficLog log(kTrafficLogLimit, SteppingTime{45296789});
  log.Record(TX, TrafficKind::Rtu, Hex("01 46 00 05 20 0E"));
  log.Record(RX, TrafficKind::Rtu, {});
  ASSERT_TRUE(SaveTrafficLog(log, dir.path / "traffic.txt"));
  // "0x46 часовой архив; запись 5; адрес 1" and "нет ответа", byte for byte in Windows-1251.
  EXPECT_EQ(BytesOf(dir.path / "traffic.txt"),
            "12:34:56.789\tTX\t01 46 00 05 20 0E\t"
            "0x46 \xF7\xE0\xF1\xEE\xE2\xEE\xE9 \xE0\xF0\xF5\xE8\xE2; "
            "\xE7\xE0\xEF\xE8\xF1\xFC 5; \xE0\xE4\xF0\xE5\xF1 1\r\n"
            "12:34:56.790\tRX\t\t\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0\r\n");
}

TEST(TrafficFile, AFolderThatIsNotThereLeavesNothingAndSaysWhy) {
  test::TempDir dir;
  TrafficLog log;
  RecordNumbered(log, 2);
  std::string error;
  WriteFailure failure = WriteFailure::None;
  EXPECT_FALSE(SaveTrafficLog(log, dir.path / "missing" / "traffic.txt", &error, &failure));
  EXPECT_EQ(failure, WriteFailure::Create);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.path / "missing"));
}

}  // namespace
}  // namespace kamt
