#include "fake_client_socket.h"

#include <algorithm>

namespace kamt::test {

void FakeClientSocket::Open(const std::string& host, int port) {
  calls.push_back("open " + host + ":" + std::to_string(port));
  host_ = host;
  port_ = port;
  connected_ = false;
  connecting_ = true;
  pending_.clear();
  received_.clear();
  if (onOpen) onOpen();
}

void FakeClientSocket::Close() {
  calls.emplace_back("close");
  connected_ = connecting_ = false;
  pending_.clear();
  received_.clear();
}

std::size_t FakeClientSocket::ReceiveBuf(std::span<std::uint8_t> destination) {
  const std::size_t n = std::min(destination.size(), received_.size());
  std::copy_n(received_.begin(), n, destination.begin());
  received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

void FakeClientSocket::SendBuf(std::span<const std::uint8_t> bytes) {
  sent.emplace_back(bytes.begin(), bytes.end());
  if (responders.empty()) return;
  Responder responder = std::move(responders.front());
  responders.pop_front();
  for (Segment& s : responder(bytes)) {
    pending_.push_back({clock_.now + static_cast<std::uint64_t>(s.atMs), std::move(s.bytes)});
  }
  std::stable_sort(pending_.begin(), pending_.end(), [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
}

void FakeClientSocket::WaitForEvent(int timeoutMs) {
  if (onWait) onWait();
  const std::uint64_t until = clock_.now + static_cast<std::uint64_t>(std::max(timeoutMs, 0));
  if (pending_.empty() || pending_.front().at > until) {
    clock_.now = until;
    return;
  }
  clock_.now = std::max(clock_.now, pending_.front().at);
  received_.insert(received_.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
  pending_.pop_front();
  if (handlers_.onRead) handlers_.onRead();
}

void FakeClientSocket::AcceptConnection() {
  connecting_ = false;
  connected_ = true;
  if (handlers_.onConnect) handlers_.onConnect();
}

void FakeClientSocket::FailConnection(const std::string& reason) {
  connecting_ = connected_ = false;
  if (handlers_.onError) handlers_.onError(reason);
}

void FakeClientSocket::Arrive(std::vector<std::uint8_t> bytes) {
  received_.insert(received_.end(), bytes.begin(), bytes.end());
}

}  // namespace kamt::test
