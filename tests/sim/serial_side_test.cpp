#include "serial_side.h"

#include <gtest/gtest.h>

#include <string>

#include "rtu_framer.h"
#include "sim_test_util.h"

namespace kamt::sim {
namespace {

class SimSerialSide : public test::MeterTest {
 protected:
  // Everything the side sends for a request received at kNow, with the times it leaves.
  std::vector<Emission> Exchange(const Bytes& request, SerialConfig config = {}) {
    SerialSide side(std::move(config), handler_, plan_);
    side.Receive(request, kNow);
    return test::DrainAll(side);
  }

  static constexpr Millis kNow = 10'000;
  FaultPlan plan_;
};

TEST_F(SimSerialSide, AnswersItsOwnAddressAtOnceAndAnUnknownFunctionAfterTheSilence) {
  auto out = Exchange(WithCrc("01 03 00 00 00 08"));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, WithCrc("01 03 10 00 01 00 03 00 00 00 00 00 00 01 F6 A8 C0 0A 00"));
  EXPECT_EQ(out[0].at, kNow);
  EXPECT_TRUE(Exchange(WithCrc("02 03 00 00 00 08")).empty());
  out = Exchange(WithCrc("01 06 00 01 00 03"));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, WithCrc("01 86 01"));
  EXPECT_EQ(out[0].at, kNow + RtuFramer::kDefaultSilenceMs);
}

TEST_F(SimSerialSide, PacesTheExchangeAtTheLineTime) {
  const auto out = Exchange(WithCrc("01 46 00 05"), SerialConfig{1, 9600, std::nullopt});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes.size(), 46u);
  EXPECT_EQ(out[0].at, kNow + 54);  // (6 + 46) bytes of 10 bits at 9600 bit/s
}

TEST_F(SimSerialSide, SerialFaultsSpoilTheFrame) {
  plan_ = FaultPlan({{FaultMode::Crc}, {FaultMode::Delay, 700}}, 1u, ArchiveFailure::Crc);
  const Bytes request = WithCrc("01 03 00 08 00 07");
  auto out = Exchange(request);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].at, kNow + 700);
  EXPECT_FALSE(CrcMatches(out[0].bytes));
  out = Exchange(request);  // the faults struck once, as asked
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(CrcMatches(out[0].bytes));
  EXPECT_EQ(out[0].at, kNow);

  plan_ = FaultPlan({{FaultMode::Short}}, std::nullopt, ArchiveFailure::Crc);
  out = Exchange(request);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes.size(), 19u / 2);

  plan_ = FaultPlan({{FaultMode::Silent}, {FaultMode::WrongUnit}}, std::nullopt, ArchiveFailure::Crc);
  EXPECT_TRUE(Exchange(request).empty());

  plan_ = FaultPlan({{FaultMode::Reset}}, std::nullopt, ArchiveFailure::Crc);  // a TCP fault leaves the line alone
  out = Exchange(request);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(CrcMatches(out[0].bytes));
}

// The master retries an index after a failure, and a read of the archive starts again at a
// lower or the same index once that was answered.
TEST_F(SimSerialSide, ArchiveFaultsFollowTheMastersReads) {
  plan_ = FaultPlan({{FaultMode::ArchiveFailFirst, 2}, {FaultMode::ArchiveFailIndex, 9}}, std::nullopt,
                    ArchiveFailure::Crc);
  const int indexes[] = {7, 7, 7, 8, 9, 9, 10, 7, 7, 7, 3};
  const bool fails[] = {true, true, false, false, true, true, false, true, true, false, true};
  for (std::size_t i = 0; i < std::size(indexes); ++i) {
    const auto out = Exchange(WithCrc(Bytes{0x01, 0x46, 0x00, static_cast<std::uint8_t>(indexes[i])}));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(!CrcMatches(out[0].bytes), fails[i]) << "request " << i << " for index " << indexes[i];
  }
  Exchange(WithCrc("01 04 10 00 00 30"));  // any other request ends the read
  EXPECT_FALSE(CrcMatches(Exchange(WithCrc("01 46 00 0B"))[0].bytes));
}

TEST_F(SimSerialSide, ARetryAfterAnyFaultStaysInTheRead) {
  plan_ = FaultPlan({{FaultMode::Silent}, {FaultMode::ArchiveFailFirst, 1}}, 1u, ArchiveFailure::Crc);
  const Bytes request = WithCrc("01 46 00 04");
  EXPECT_TRUE(Exchange(request).empty());
  const auto retry = Exchange(request);
  ASSERT_EQ(retry.size(), 1u);
  EXPECT_TRUE(CrcMatches(retry[0].bytes));
}

TEST_F(SimSerialSide, ArchiveFailureKindsAsChosen) {
  const Bytes request = WithCrc("01 47 00 01");
  plan_ = FaultPlan({{FaultMode::ArchiveFailIndex, 1}}, std::nullopt, ArchiveFailure::Silent);
  EXPECT_TRUE(Exchange(request).empty());
  plan_ = FaultPlan({{FaultMode::ArchiveFailIndex, 1}}, std::nullopt, ArchiveFailure::Exception);
  EXPECT_EQ(Exchange(request)[0].bytes, WithCrc("01 C7 04"));
}

TEST_F(SimSerialSide, BehindAModemOnlyOnlineRequestsAreAnswered) {
  SerialSide side(SerialConfig{1, 0, ModemConfig{}}, handler_, plan_);
  const Bytes request = WithCrc("01 03 00 00 00 01");
  side.Receive(request, 0);
  auto out = test::DrainAll(side);
  ASSERT_EQ(out.size(), 1u);  // the echo only
  EXPECT_FALSE(out[0].answer);
  EXPECT_EQ(out[0].bytes, request);

  const std::string dial = "ATD1\r";  // after the request's bytes in the modem's line
  side.Receive(Bytes(dial.begin(), dial.end()), 1000);
  out = test::DrainAll(side);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(std::string(out[1].bytes.begin(), out[1].bytes.end()), "\r\nCONNECT 9600\r\n");
  side.Receive(request, 2000);
  out = test::DrainAll(side);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0].answer);
  EXPECT_EQ(out[0].bytes, WithCrc("01 03 02 00 01"));
}

}  // namespace
}  // namespace kamt::sim
