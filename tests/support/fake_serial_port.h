#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "fake_clock.h"
#include "link/serial_port.h"

namespace kamt::test {

// A serial device whose answers are scripted: each written request takes the next scripted
// reply, whose pieces arrive at given times after the write, on the fake clock.
class FakeSerialPort : public SerialPort {
 public:
  struct Piece {
    int atMs;  // after the request was written
    std::vector<std::uint8_t> bytes;
  };
  using Reply = std::vector<Piece>;

  explicit FakeSerialPort(FakeClock& clock) : clock_(clock) {}

  bool Open(const std::string& name) override;
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  OpenFailure LastOpenFailure() const override { return openFailure; }
  std::string LastOpenDetail() const override { return {}; }
  std::vector<std::string> Configure(const LineParameters& line) override;
  void Purge() override;
  void Write(std::span<const std::uint8_t> bytes) override;
  std::size_t ReadSome(std::span<std::uint8_t> destination, int timeoutMs) override;

  // The whole reply at once, right after the request.
  void ReplyWith(std::vector<std::uint8_t> bytes) { replies.push_back({{0, std::move(bytes)}}); }
  void ReplySilence() { replies.push_back({}); }

  std::deque<Reply> replies;
  std::vector<std::vector<std::uint8_t>> written;
  std::vector<std::string> calls;  // "open NAME", "configure", "purge", "write"
  std::vector<LineParameters> configured;
  std::vector<std::string> refuse;  // what Configure reports as refused
  OpenFailure openFailure = OpenFailure::None;  // set to make Open fail
  // Runs when a request is written, before its reply is scheduled.
  std::function<void(std::span<const std::uint8_t>)> onWrite;

 private:
  struct Arrival {
    std::uint64_t at;
    std::vector<std::uint8_t> bytes;
  };
  FakeClock& clock_;
  bool open_ = false;
  std::deque<Arrival> pending_;
};

// A frame with its CRC appended.
std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> frame);

}  // namespace kamt::test
