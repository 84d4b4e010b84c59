#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace kamt::bench {

// A Modbus TCP peer on loopback that answers every request at once with one canned answer to
// the current-data request, echoing the transaction and unit identifiers: the cheapest meter
// there can be, so that what is measured is the master. With rtu, a serial-to-Ethernet
// converter's meter instead: every 8-byte RTU request gets the 101-byte RTU answer of address 1.
class CannedResponder {
 public:
  explicit CannedResponder(bool rtu = false);
  ~CannedResponder();
  CannedResponder(const CannedResponder&) = delete;
  CannedResponder& operator=(const CannedResponder&) = delete;

  int Port() const { return port_; }

 private:
  void Serve();
  void Answer(int connection);
  void AnswerRtu(int connection);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  bool rtu_ = false;
  std::vector<std::uint8_t> answer_;
  std::thread thread_;
};

// A connected, blocking loopback socket with Nagle's delay off; -1 on failure.
int ConnectLoopback(int port);

}  // namespace kamt::bench
