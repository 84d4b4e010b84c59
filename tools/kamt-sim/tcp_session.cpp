#include "tcp_session.h"

#include <algorithm>
#include <string>

#include "answer_faults.h"
#include "reply.h"

namespace kamt::sim {

// The master addresses the meter as unit 0xFF; 0 and the meter's own address are taken too.
Station* Units::Find(std::uint8_t unit) const {
  if (gateway != nullptr) return gateway->Find(unit);
  return unit == 0xFF || unit == 0 || unit == single->address ? single : nullptr;
}

TcpSession::TcpSession(Units units, Logger log) : units_(units), log_(std::move(log)) {}

void TcpSession::Receive(std::span<const std::uint8_t> bytes, Millis now) {
  if (broken_ || flooding_) return;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  while (buffer_.size() >= kHeaderSize) {
    const bool modbus = buffer_[2] == 0 && buffer_[3] == 0;
    const std::size_t length = std::size_t{buffer_[4]} << 8 | buffer_[5];
    if (!modbus || length < 2 || length > kMaxPdu + 1) {
      // Once a header is wrong the stream cannot be framed again: a Modbus server hangs up.
      if (log_) log_("tcp rx bad header " + Hex(std::span(buffer_).first(kHeaderSize)));
      broken_ = true;
      buffer_.clear();
      endless_.Stop();
      out_.Add(Emission{now, {}, false, true});
      return;
    }
    const std::size_t total = 6 + length;
    if (buffer_.size() < total) return;
    const std::vector<std::uint8_t> frame(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    Answer(frame, now);
  }
}

void TcpSession::Answer(std::span<const std::uint8_t> frame, Millis now) {
  if (log_) log_("tcp rx " + Hex(frame));
  endless_.Stop();  // the master has given up on the answer that never ended
  const MbapRequest request{{frame[0], frame[1]}, frame[6]};
  Station* station = units_.Find(request.unit);
  if (station == nullptr) return;
  const std::span<const std::uint8_t> pdu = frame.subspan(kHeaderSize);
  const FaultAction fault = station->faults.Decide(Transport::Tcp, pdu);
  flooding_ = fault.flood;
  const Pdu answer = AnswerUnderFaults(fault, pdu, station->handler, now);
  for (Emission& e : ShapeTcpReply(request, answer, fault, now)) out_.Add(std::move(e));
  if (fault.endlessMs) {
    endless_.Start(EndlessTcpOpening(request), kEndlessFiller, now + fault.delayMs + *fault.endlessMs,
                   *fault.endlessMs);
  }
}

std::vector<Emission> TcpSession::TakeDue(Millis now) {
  if (flooding_) return {};
  std::vector<Emission> due = out_.TakeDue(now);
  if (std::vector<std::uint8_t> more = endless_.TakeDue(now); !more.empty()) {
    due.push_back(Emission{now, std::move(more), true, false, false, true});
  }
  if (log_) {
    for (const Emission& e : due) {
      log_(e.close ? std::string(e.reset ? "tcp reset" : "tcp close") : "tcp tx " + Hex(e.bytes));
    }
  }
  return due;
}

std::optional<Millis> TcpSession::NextWake() const {
  if (flooding_) return std::nullopt;
  const std::optional<Millis> answer = out_.Next();
  const std::optional<Millis> trickle = endless_.Next();
  if (answer && trickle) return std::min(*answer, *trickle);
  return answer ? answer : trickle;
}

}  // namespace kamt::sim
