// How the byte streams are cut into requests: RTU frames and Modbus TCP frames.
#include <gtest/gtest.h>

#include "rtu_framer.h"
#include "serial_side.h"
#include "sim_test_util.h"
#include "tcp_session.h"

namespace kamt::sim {
namespace {

constexpr Millis kSilence = RtuFramer::kDefaultSilenceMs;

std::vector<Bytes> Drain(RtuFramer& framer, Millis now) {
  std::vector<Bytes> frames;
  while (auto f = framer.Next(now)) frames.push_back(*f);
  return frames;
}

// A request ends with the byte its function predicts, with no silence after it. On a serial
// line a silence ends what cannot be a frame; carried over TCP, where nothing can be told
// from silences, a byte that cannot start a known frame is dropped at once.
TEST(SimRtuFramer, FindsEachRequestAfterGarbage) {
  const std::vector<Bytes> requests = {WithCrc("01 03 00 00 00 08"), WithCrc("01 10 00 0F 00 02 04 40 20 00 00"),
                                       WithCrc("01 46 02 CF")};
  for (const bool overTcp : {false, true}) {
    for (const char* garbage : {"", "FF", "01 03 00", "01 10 00 00 00 08 FF", "2B 2B 2B 0D 0A", "01 04 10 00 00 30 00 00"}) {
      Bytes stream = Hex(garbage);
      for (const Bytes& r : requests) stream.insert(stream.end(), r.begin(), r.end());
      RtuFramer framer(overTcp ? std::nullopt : std::optional<Millis>(kSilence));
      std::vector<Bytes> frames;
      for (std::size_t i = 0; i < stream.size(); i += 3) {
        framer.Push(std::span(stream).subspan(i, std::min<std::size_t>(3, stream.size() - i)), 0);
        for (const Bytes& f : Drain(framer, 0)) frames.push_back(f);
      }
      for (const Bytes& f : Drain(framer, overTcp ? 0 : kSilence)) frames.push_back(f);
      EXPECT_EQ(frames, requests) << "after garbage " << garbage << (overTcp ? " over TCP" : "");
      EXPECT_FALSE(framer.Deadline()) << "nothing left to spoil the next frame";
    }
  }
}

// Each meter on a bus answers its own address in turn, the others stay silent; so do all
// while the line is not set as they expect.
TEST(SimSerialSide, EachMeterOnTheBusAnswersItsOwnAddress) {
  MeterSettings second;
  second.address = 17, second.serialNumber = 4321;
  Station first(MeterSettings{}, 0, FaultPlan{}), other(second, 0, FaultPlan{});
  Bus bus;
  bus.Add(first), bus.Add(other);
  // The serial number read from 17, 5 (no meter), 0 (the broadcast) and 1.
  const Bytes stream = Hex("11 03 00 21 00 01 D6 90 05 03 00 21 00 01 D5 84 00 03 00 21 00 01 D5 D1 01 03 00 21 00 01 D4 00");
  for (const bool lineRight : {true, false}) {
    SerialSide side(SerialConfig{0, {}, [lineRight] { return lineRight; }}, bus);
    side.Receive(stream, 0);
    Bytes sent;
    for (const Emission& e : DrainAll(side)) sent.insert(sent.end(), e.bytes.begin(), e.bytes.end());
    EXPECT_EQ(kamt::test::ToHex(sent), lineRight ? "11 03 02 10 E1 B4 0F 01 03 02 04 D2 3A D9" : "");
  }
}

// Frames split over segments or joined in one are each answered; a unit that is not the
// meter's gets silence, a header that cannot be right a closed connection.
TEST(SimTcpSession, CutsTheStreamIntoFramesAndAnswersOnlyItsUnits) {
  Station station(MeterSettings{}, 0, FaultPlan{});
  const std::pair<const char*, std::vector<int>> cases[] = {  // stream; what comes: 1 an answer, 2 a close
      {"01 00 00 00 00 06 FF 04 10 00 00 30  34 12 00 00 00 05 00 46 00 07 00", {1, 1}},
      {"01 00 00 00 00 06 07 04 10 00 00 30  01 00 00 00 00 06 01 04 10 00 00 01", {1}},
      {"01 00 00 05 00 06 FF 04 10 00 00 30", {2}}, {"01 00 00 00 01 00 FF", {2}}, {"01 00 00 00 00 01 FF", {2}}};
  for (const auto& [stream, outcomes] : cases) {
    TcpSession session(Units{&station});
    const Bytes bytes = Hex(stream);
    for (std::size_t i = 0; i < bytes.size(); i += 5) {
      session.Receive(std::span(bytes).subspan(i, std::min<std::size_t>(5, bytes.size() - i)), 0);
    }
    std::vector<int> got;
    for (const Emission& e : DrainAll(session)) got.push_back(e.close ? 2 : 1);
    EXPECT_EQ(got, outcomes) << stream;
  }
}

}  // namespace
}  // namespace kamt::sim
