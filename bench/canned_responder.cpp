#include "canned_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace kamt::bench {
namespace {

bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, buffer + got, n - got);
    if (r <= 0) return false;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

void NoDelay(int fd) {
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// The RTU answer's CRC-16/MODBUS, low byte first.
void AppendCrc(std::vector<std::uint8_t>& frame) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t b : frame) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace

CannedResponder::CannedResponder(bool rtu) : rtu_(rtu) {
  if (rtu) {
    // Address 1, 04 60 and 96 register bytes, the CRC.
    answer_ = {1, 0x04, 96};
    answer_.resize(answer_.size() + 96, 0x11);
    AppendCrc(answer_);
  } else {
    // 04 60 and 96 register bytes behind the MBAP header.
    answer_ = {0, 0, 0, 0, 0, 99, 0xFF, 0x04, 96};
    answer_.resize(answer_.size() + 96, 0x11);
  }
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener_, 8);
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

CannedResponder::~CannedResponder() {
  stop_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  ::close(listener_);
  thread_.join();
}

void CannedResponder::Serve() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    NoDelay(connection);
    std::thread([this, connection] { rtu_ ? AnswerRtu(connection) : Answer(connection); }).detach();
  }
}

void CannedResponder::Answer(int connection) {
  std::vector<std::uint8_t> answer = answer_;
  std::uint8_t header[7];
  while (ReadExactly(connection, header, sizeof header)) {
    const std::size_t rest = std::size_t{header[4]} << 8 | header[5];
    std::uint8_t pdu[260];
    if (rest < 1 || rest - 1 > sizeof pdu || !ReadExactly(connection, pdu, rest - 1)) break;
    answer[0] = header[0];
    answer[1] = header[1];
    answer[6] = header[6];
    if (::write(connection, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) break;
  }
  ::close(connection);
}

void CannedResponder::AnswerRtu(int connection) {
  std::uint8_t request[8];
  while (ReadExactly(connection, request, sizeof request)) {
    if (::write(connection, answer_.data(), answer_.size()) != static_cast<ssize_t>(answer_.size())) break;
  }
  ::close(connection);
}

int ConnectLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  NoDelay(fd);
  return fd;
}

}  // namespace kamt::bench
