// What each fault mode does to the answer, and when it strikes.
#include <gtest/gtest.h>

#include "reply.h"
#include "rtu_framer.h"
#include "serial_side.h"
#include "sim_test_util.h"
#include "tcp_session.h"

namespace kamt::sim {
namespace {

class SimFaults : public ::testing::Test {
 protected:
  std::vector<Emission> Exchange(bool tcp, const Bytes& request) {
    if (tcp) {
      TcpSession session(Units{&station_});
      session.Receive(request, 0);
      return DrainAll(session);
    }
    SerialSide side(SerialConfig{}, bus_);
    side.Receive(request, 0);
    return DrainAll(side);
  }
  std::vector<Emission> Serial(const Bytes& request) { return Exchange(false, request); }
  void Plan(std::vector<Fault> faults, std::optional<unsigned> times = {}) {
    station_.faults = FaultPlan(std::move(faults), times, ArchiveFailure::Crc);
  }
  void SetUp() override { bus_.Add(station_); }
  Station station_{MeterSettings{}, 0, FaultPlan{}};
  Bus bus_;
};

struct Shape {
  bool tcp;
  std::vector<Fault> faults;
  const char* sent;    // all that is sent, joined
  Millis first, last;  // when the first and the last part leave
  const char* request = "03 00 00 00 01";
};

TEST_F(SimFaults, EachFaultShapesTheAnswer) {
  const char* const write = "10 00 1B 00 01 02 00 07";
  const Shape shapes[] = {
      {false, {}, "01 03 02 00 01 79 84", 0, 0},
      {false, {{FaultMode::Crc}, {FaultMode::Delay, 700}}, "01 03 02 00 01 79 7B", 700, 700},
      {false, {{FaultMode::Short}}, "01 03 02", 0, 0},
      {false, {{FaultMode::Silent}}, "", 0, 0},
      {false, {{FaultMode::Flood}}, "", 0, 0},
      {false, {{FaultMode::Exception, 6}}, "01 83 06 C1 32", 0, 0},
      {false, {{FaultMode::WrongUnit}, {FaultMode::Reset}}, "01 03 02 00 01 79 84", 0, 0},  // TCP faults
      {false, {{FaultMode::WrongAddress, kNextAddress}}, "02 03 02 00 01 3D 84", 0, 0},
      {false, {{FaultMode::WrongFunction, 4}, {FaultMode::WriteEcho}}, "01 04 02 00 01 78 F0", 0, 0},
      {false, {{FaultMode::ByteCount, 9}}, "01 03 09 00 01 08 46", 0, 0},
      {false, {{FaultMode::WriteEcho, 0}, {FaultMode::ByteCount, 9}}, "01 10 01 EC", 0, 0, write},
      {false, {{FaultMode::WriteEcho, 1}}, "01 10 00 1C 00 01 C0 0F", 0, 0, write},
      {false, {{FaultMode::Duplicate, 300}}, "01 03 02 00 01 79 84 01 03 02 00 01 79 84", 0, 300},
      {true, {{FaultMode::WrongTransaction}}, "01 01 00 00 00 05 FF 03 02 00 01", 0, 0},
      {true, {{FaultMode::WrongProtocol}}, "01 00 00 01 00 05 FF 03 02 00 01", 0, 0},
      {true, {{FaultMode::WrongUnit}, {FaultMode::WrongAddress, 0}}, "01 00 00 00 00 05 01 03 02 00 01", 0, 0},
      {true, {{FaultMode::WrongLength}, {FaultMode::Crc}}, "01 00 00 00 00 06 FF 03 02 00 01", 0, 0},
      {true, {{FaultMode::Split, 200}}, "01 00 00 00 00 05 FF 03 02 00 01", 0, 200},
      {true, {{FaultMode::TwoFrames}}, "01 00 00 00 00 05 FF 03 02 00 01 01 00 00 00 00 05 FF 03 02 00 01", 0, 0},
      {true, {{FaultMode::Duplicate, 300}}, "01 00 00 00 00 05 FF 03 02 00 01 01 00 00 00 00 05 FF 03 02 00 01", 0, 300},
      {true, {{FaultMode::WrongFunction, 0x10}}, "01 00 00 00 00 06 FF 10 00 00 00 01", 0, 0},
      {true, {{FaultMode::WriteEcho, 2}}, "01 00 00 00 00 06 FF 10 00 1B 00 02", 0, 0, write},
  };
  for (const Shape& s : shapes) {
    Plan(s.faults);
    const Bytes pdu = Hex(s.request);
    Bytes request = s.tcp ? Hex("01 00 00 00 00") : Hex("01");
    if (s.tcp) request.insert(request.end(), {static_cast<std::uint8_t>(pdu.size() + 1), 0xFF});
    request.insert(request.end(), pdu.begin(), pdu.end());
    const auto out = Exchange(s.tcp, s.tcp ? request : WithCrc(kamt::test::ToHex(request)));
    Bytes sent;
    for (const Emission& e : out) sent.insert(sent.end(), e.bytes.begin(), e.bytes.end());
    EXPECT_EQ(sent, Hex(s.sent)) << s.sent;
    if (out.empty()) continue;
    EXPECT_EQ(out.front().at, s.first) << s.sent;
    EXPECT_EQ(out.back().at, s.last) << s.sent;
  }
  EXPECT_EQ(station_.meter.ReadHolding(0x1B, 0), 7) << "a write answered wrongly is carried out all the same";
}

// Noise is never a frame, nor is the filler of an endless answer; past --fault-times the answer
// is right.
TEST_F(SimFaults, NoiseIsNeverAFrameAndStrikesOnlyAsOftenAsAsked) {
  Plan({{FaultMode::Noise, 255}}, 2000u);
  for (int i = 0; i <= 2000; ++i) {
    const Bytes sent = Serial(WithCrc("01 03 00 00 00 01")).at(0).bytes;
    for (std::size_t n = 4; n < sent.size(); ++n) ASSERT_FALSE(CrcMatches(std::span(sent).first(n))) << i;
    ASSERT_EQ(CrcMatches(sent), i == 2000) << i;
  }
  for (std::size_t n = 4; n < 256; ++n) EXPECT_FALSE(CrcMatches(Bytes(n, kEndlessFiller))) << n;
}

// The master retries an index after a failure; a read of the archive starts again at a lower
// index, at the same one once it was answered, or after any other request.
TEST_F(SimFaults, ArchiveFaultsFollowTheMastersReads) {
  Plan({{FaultMode::ArchiveFailFirst, 2}, {FaultMode::ArchiveFailIndex, 9}, {FaultMode::Silent}}, 1u);
  const char* const indexes = "7777899A777-3";
  const char* const fails = "-x.xxxx.xx. x";  // '-': silent, so the retry stays in the read
  for (std::size_t i = 0; fails[i]; ++i) {
    const Bytes request = WithCrc(indexes[i] == '-' ? "01 04 10 00 00 01" : "01 46 00 0" + std::string(1, indexes[i]));
    const auto out = Serial(request);
    if (fails[i] == '-') {
      EXPECT_TRUE(out.empty());
    } else if (fails[i] != ' ') {
      EXPECT_EQ(!CrcMatches(out.at(0).bytes), fails[i] == 'x') << i;
    }
  }
}

}  // namespace
}  // namespace kamt::sim
