#include "rtu_framer.h"

#include <gtest/gtest.h>

#include <random>

#include "sim_test_util.h"

namespace kamt::sim {
namespace {

constexpr Millis kT0 = 1000;
constexpr Millis kAfterSilence = kT0 + RtuFramer::kDefaultSilenceMs;

std::vector<Bytes> Drain(RtuFramer& framer, Millis now) {
  std::vector<Bytes> frames;
  while (auto f = framer.Next(now)) frames.push_back(*f);
  return frames;
}

// Every request the master sends is recognised by its length alone, with no silence after it,
// even when the next one follows at once.
TEST(SimRtuFramer, KnownFunctionsEndByTheirPredictedLength) {
  const std::vector<Bytes> requests = {
      WithCrc("01 04 10 00 00 30"), WithCrc("01 10 00 08 00 07 0E 00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5"),
      WithCrc("01 03 00 08 00 22"), WithCrc("01 46 02 CF"), WithCrc("01 47 00 00"), WithCrc("01 48 00 17")};
  RtuFramer framer;
  for (const Bytes& request : requests) framer.Push(request, kT0);
  EXPECT_EQ(Drain(framer, kT0), requests);
}

TEST(SimRtuFramer, WaitsForTheRestOfASplitFrame) {
  const Bytes request = WithCrc("01 10 00 0F 00 02 04 40 20 00 00");
  RtuFramer framer;
  framer.Push(std::span(request).first(5), kT0);  // byte count not there yet
  EXPECT_TRUE(Drain(framer, kT0 + 5).empty());
  framer.Push(std::span(request).subspan(5, 4), kT0 + 5);
  EXPECT_TRUE(Drain(framer, kT0 + 10).empty());
  framer.Push(std::span(request).subspan(9), kT0 + 10);
  EXPECT_EQ(Drain(framer, kT0 + 10), std::vector<Bytes>{request});
}

TEST(SimRtuFramer, ResynchronisesAfterGarbage) {
  const Bytes request = WithCrc("01 03 00 00 00 08");
  for (const char* garbage : {"FF", "00 12 7E", "01 03 00", "01 10 00 00 00 08 FF", "2B 2B 2B 0D 0A"}) {
    Bytes stream = FromHex(garbage);
    stream.insert(stream.end(), request.begin(), request.end());
    RtuFramer framer;
    framer.Push(stream, kT0);
    std::vector<Bytes> frames = Drain(framer, kT0);
    for (const Bytes& f : Drain(framer, kAfterSilence)) frames.push_back(f);
    EXPECT_EQ(frames, std::vector<Bytes>{request}) << "after garbage " << garbage;
  }
}

TEST(SimRtuFramer, DropsAFrameWithAWrongCrc) {
  Bytes bad = WithCrc("01 04 10 00 00 30");
  bad[3] ^= 0x01;
  const Bytes good = WithCrc("01 04 10 00 00 01");
  RtuFramer framer;
  framer.Push(bad, kT0);
  EXPECT_TRUE(Drain(framer, kAfterSilence).empty());
  EXPECT_FALSE(framer.Deadline().has_value());  // nothing left over to spoil the next frame
  framer.Push(good, kAfterSilence + 100);
  EXPECT_EQ(Drain(framer, kAfterSilence + 100), std::vector<Bytes>{good});
}

TEST(SimRtuFramer, UnknownFunctionEndsOnlyWithSilence) {
  const Bytes request = WithCrc("01 06 00 01 00 03");
  RtuFramer framer;
  framer.Push(request, kT0);
  EXPECT_TRUE(Drain(framer, kAfterSilence - 1).empty());
  EXPECT_EQ(framer.Deadline(), kAfterSilence);
  EXPECT_EQ(Drain(framer, kAfterSilence), std::vector<Bytes>{request});

  Bytes broken = request;
  broken.back() ^= 0xFF;
  framer.Push(broken, kT0);
  EXPECT_TRUE(Drain(framer, kAfterSilence).empty());
}

TEST(SimRtuFramer, RandomNoiseNeverHidesTheNextGoodFrame) {
  std::mt19937 rng(7);
  const Bytes request = WithCrc("01 04 10 00 00 30");
  RtuFramer framer;
  Millis now = kT0;
  for (int round = 0; round < 200; ++round) {
    Bytes noise(rng() % 300);
    for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
    framer.Push(noise, now);
    Drain(framer, now);
    now += 50;  // a silence: whatever the noise left is stale now
    Drain(framer, now);
    framer.Push(request, now);
    const auto frames = Drain(framer, now);
    ASSERT_FALSE(frames.empty()) << "round " << round;
    EXPECT_EQ(frames.back(), request);
  }
}

}  // namespace
}  // namespace kamt::sim
