#include "tcp_session.h"

#include <gtest/gtest.h>

#include "sim_test_util.h"

namespace kamt::sim {
namespace {

// The master's current-data request, transaction 1 (sent low byte first).
const char* const kRequest = "01 00 00 00 00 06 FF 04 10 00 00 30";

class SimTcpSession : public test::MeterTest {
 protected:
  std::vector<Emission> Exchange(std::vector<Fault> faults, std::string_view request = kRequest) {
    FaultPlan plan(std::move(faults), std::nullopt, ArchiveFailure::Crc);
    TcpSession session(1, handler_, plan);
    session.Receive(FromHex(request), kNow);
    return test::DrainAll(session);
  }
  static Bytes Header(const Emission& e) { return {e.bytes.begin(), e.bytes.begin() + 7}; }

  static constexpr Millis kNow = 5000;
};

TEST_F(SimTcpSession, EchoesTheHeaderAroundTheAnswer) {
  const auto out = Exchange({});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].at, kNow);
  EXPECT_EQ(Header(out[0]), FromHex("01 00 00 00 00 63 FF"));
  EXPECT_EQ(out[0].bytes.size(), 7u + 98u);

  const auto archive = Exchange({}, "34 12 00 00 00 05 FF 46 00 07 00");
  ASSERT_EQ(archive.size(), 1u);
  EXPECT_EQ(Header(archive[0]), FromHex("34 12 00 00 00 2C FF"));
  EXPECT_EQ(archive[0].bytes.size(), 7u + 43u);
}

TEST_F(SimTcpSession, EachHeaderFaultSpoilsItsField) {
  const std::pair<FaultMode, const char*> cases[] = {
      {FaultMode::WrongTransaction, "01 01 00 00 00 63 FF"},
      {FaultMode::WrongProtocol, "01 00 00 01 00 63 FF"},
      {FaultMode::WrongUnit, "01 00 00 00 00 63 01"},
      {FaultMode::WrongLength, "01 00 00 00 00 64 FF"},
  };
  for (const auto& [mode, header] : cases) {
    const auto out = Exchange({{mode}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Header(out[0]), FromHex(header));
    EXPECT_EQ(out[0].bytes.size(), 105u);
  }
}

TEST_F(SimTcpSession, TimingFaultsMoveOrCutTheAnswer) {
  const auto split = Exchange({{FaultMode::Split, 200}});
  ASSERT_EQ(split.size(), 2u);
  EXPECT_EQ(split[1].at - split[0].at, 200);
  EXPECT_EQ(split[0].bytes.size() + split[1].bytes.size(), 105u);

  const auto two = Exchange({{FaultMode::TwoFrames}});
  ASSERT_EQ(two.size(), 1u);
  ASSERT_EQ(two[0].bytes.size(), 210u);
  EXPECT_TRUE(std::equal(two[0].bytes.begin(), two[0].bytes.begin() + 7, two[0].bytes.begin() + 105));

  const auto late = Exchange({{FaultMode::Late, 3500}});
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].at, kNow + 3500);

  const auto drop = Exchange({{FaultMode::Drop}});
  ASSERT_EQ(drop.size(), 1u);
  EXPECT_TRUE(drop[0].close);
  EXPECT_FALSE(drop[0].reset) << "drop stays the orderly close";
  EXPECT_TRUE(drop[0].bytes.empty());

  EXPECT_TRUE(Exchange({{FaultMode::Silent}}).empty());
  EXPECT_EQ(Exchange({{FaultMode::Crc}}).size(), 1u);  // a serial fault leaves TCP alone
}

TEST_F(SimTcpSession, NoiseNeverCarriesTheTransaction) {
  const auto out = Exchange({{FaultMode::Noise, 12}});
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].bytes.size(), 12u);
  EXPECT_NE(out[0].bytes[0], 0x01);
  EXPECT_FALSE(out[0].close);
}

// A write answered by an exception or by a reset is not carried out.
TEST_F(SimTcpSession, ExceptionAndResetFaultsDoNotAct) {
  const char* const write = "02 00 00 00 00 09 FF 10 00 00 00 01 02 00 07";
  auto out = Exchange({{FaultMode::Exception, 6}}, write);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, FromHex("02 00 00 00 00 03 FF 90 06"));
  out = Exchange({{FaultMode::Reset}, {FaultMode::Delay, 500}}, write);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].at, kNow + 500);
  EXPECT_TRUE(out[0].close);
  EXPECT_TRUE(out[0].reset);
  EXPECT_EQ(meter_.ReadHolding(0, test::StartTime()), 1);
}

TEST_F(SimTcpSession, FramesSplitOrJoinedInTheStreamAreAllAnswered) {
  FaultPlan plan;
  TcpSession session(1, handler_, plan);
  Bytes stream = FromHex(std::string(kRequest) + "02 00 00 00 00 06 FF 03 00 00 00 08");
  session.Receive(std::span(stream).first(3), kNow);
  session.Receive(std::span(stream).subspan(3, 12), kNow);
  EXPECT_EQ(session.TakeDue(kNow).size(), 1u);
  session.Receive(std::span(stream).subspan(15), kNow);
  const auto second = session.TakeDue(kNow);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(Header(second[0]), FromHex("02 00 00 00 00 13 FF"));
}

TEST_F(SimTcpSession, IgnoresOtherUnitsAndHangsUpOnABrokenHeader) {
  EXPECT_TRUE(Exchange({}, "01 00 00 00 00 06 07 04 10 00 00 30").empty());
  EXPECT_EQ(Exchange({}, "01 00 00 00 00 06 01 04 10 00 00 30").size(), 1u);  // its own address
  for (const char* broken : {"01 00 00 05 00 06 FF 04 10 00 00 30", "01 00 00 00 01 00 FF", "01 00 00 00 00 01 FF"}) {
    const auto out = Exchange({}, broken);
    ASSERT_EQ(out.size(), 1u) << broken;
    EXPECT_TRUE(out[0].close);
  }
}

}  // namespace
}  // namespace kamt::sim
