// The faults that put something other than a frame on the line: noise, and an answer that
// never ends.
#include <gtest/gtest.h>

#include "link/crc16.h"
#include "reply.h"
#include "serial_side.h"
#include "sim_test_util.h"
#include "tcp_session.h"
#include "trickle.h"

namespace kamt::sim {
namespace {

constexpr Millis kNow = 10'000;

// The length of the first leading part of bytes that ends in its own right CRC; 0 when none.
std::size_t FirstFrameLength(const Bytes& bytes) {
  for (std::size_t n = 1; n <= std::min<std::size_t>(bytes.size(), 255); ++n) {
    if (Crc16Check(bytes, static_cast<std::uint8_t>(n)) == 0) return n;
  }
  return 0;
}

Bytes Joined(const std::vector<Emission>& out) {
  Bytes all;
  for (const Emission& e : out) all.insert(all.end(), e.bytes.begin(), e.bytes.end());
  return all;
}

TEST(SimNoise, RepeatsForASeedAndIsNeverAFrame) {
  EXPECT_EQ(SerialNoise(64, 3), SerialNoise(64, 3));
  EXPECT_NE(SerialNoise(64, 3), SerialNoise(64, 4));
  for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
    const Bytes noise = SerialNoise(255, seed);
    ASSERT_EQ(noise.size(), 255u);
    ASSERT_EQ(FirstFrameLength(noise), 0u) << "seed " << seed;
  }
  const MbapRequest request{{0x01, 0x00}, 0xFF};
  for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
    ASSERT_NE(TcpNoise(8, seed, request).at(0), 0x01) << "seed " << seed;
  }
}

TEST(SimTrickle, OneByteAPeriodOpeningFirstUntilStopped) {
  Trickle t;
  EXPECT_FALSE(t.Next());
  t.Start({0xA1, 0xA2}, 0x55, 100, 300);
  EXPECT_TRUE(t.TakeDue(99).empty());
  EXPECT_EQ(t.TakeDue(100), Bytes{0xA1});
  EXPECT_EQ(t.Next(), 400);
  EXPECT_EQ(t.TakeDue(1000), (Bytes{0xA2, 0x55, 0x55})) << "a late caller gets what was due meanwhile";
  t.Stop();
  EXPECT_FALSE(t.Next());
  EXPECT_TRUE(t.TakeDue(100'000).empty());
}

using SimStreamFaults = test::MeterTest;

TEST_F(SimStreamFaults, SerialNoiseReplacesTheAnswerOnce) {
  FaultPlan plan({{FaultMode::Noise, 30}}, 2u, ArchiveFailure::Crc);
  SerialSide side(SerialConfig{}, handler_, plan);
  const Bytes request = WithCrc("01 04 10 00 00 30");
  Bytes bursts[2];
  for (Bytes& burst : bursts) {
    side.Receive(request, kNow);
    const auto out = side.TakeDue(kNow + 1000);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].answer);
    EXPECT_FALSE(out[0].continued);
    burst = out[0].bytes;
    EXPECT_EQ(burst.size(), 30u);
    EXPECT_EQ(FirstFrameLength(burst), 0u);
  }
  EXPECT_NE(bursts[0], bursts[1]) << "each burst is another";
  side.Receive(request, kNow);
  const auto answer = side.TakeDue(kNow + 1000);
  ASSERT_EQ(answer.size(), 1u);
  EXPECT_EQ(answer[0].bytes.size(), 101u);
  EXPECT_EQ(FirstFrameLength(answer[0].bytes), 101u) << "the third request, past --fault-times, is answered";
}

TEST_F(SimStreamFaults, SerialEndlessAnswerRunsUntilTheNextRequest) {
  FaultPlan plan({{FaultMode::Endless, 300}}, 1u, ArchiveFailure::Crc);
  SerialSide side(SerialConfig{}, handler_, plan);
  side.Receive(WithCrc("01 04 10 00 00 30"), kNow);
  Bytes stream;
  for (Millis t = kNow; t <= kNow + 300 * 255; t += 300) {
    for (const Emission& e : side.TakeDue(t)) {
      EXPECT_TRUE(e.continued) << "nothing the master has not read yet is thrown away";
      stream.insert(stream.end(), e.bytes.begin(), e.bytes.end());
    }
  }
  ASSERT_EQ(stream.size(), 255u) << "one byte each 300 ms, the first after 300 ms";
  EXPECT_EQ(FirstFrameLength(stream), 0u);
  EXPECT_EQ(side.NextWake(), kNow + 300 * 256);

  side.Receive(WithCrc("01 03 00 08 00 07"), kNow + 300 * 256);
  const auto next = side.TakeDue(kNow + 300 * 260);
  ASSERT_EQ(next.size(), 1u) << "the stream has stopped; the answer comes alone";
  EXPECT_EQ(next[0].bytes.size(), 19u);
  EXPECT_FALSE(side.NextWake());
}

TEST_F(SimStreamFaults, TcpEndlessAnswerAnnouncesMoreThanItSends) {
  FaultPlan plan({{FaultMode::Endless, 100}}, 1u, ArchiveFailure::Crc);
  TcpSession session(1, handler_, plan);
  session.Receive(FromHex("01 00 00 00 00 06 FF 04 10 00 00 30"), kNow);
  EXPECT_EQ(session.NextWake(), kNow + 100);
  EXPECT_EQ(Joined(session.TakeDue(kNow + 1000)), FromHex("01 00 00 00 FF FF FF 55 55 55"));
  EXPECT_EQ(Joined(session.TakeDue(kNow + 1200)), FromHex("55 55"));

  session.Receive(FromHex("02 00 00 00 00 06 FF 03 00 08 00 07"), kNow + 1200);
  const auto next = session.TakeDue(kNow + 5000);
  ASSERT_EQ(next.size(), 1u);
  ASSERT_EQ(next[0].bytes.size(), 7u + 16u);
  EXPECT_EQ(Bytes(next[0].bytes.begin(), next[0].bytes.begin() + 9), FromHex("02 00 00 00 00 11 FF 03 0E"));
  EXPECT_FALSE(session.NextWake());
}

}  // namespace
}  // namespace kamt::sim
