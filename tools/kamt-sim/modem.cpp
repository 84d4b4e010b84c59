#include "modem.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kamt::sim {

namespace {
constexpr std::size_t kMaxLine = 255;
constexpr std::uint8_t kEscape = '+';
constexpr int kEscapeLength = 3;

bool Listed(const std::vector<std::string>& numbers, const std::string& n) {
  return std::find(numbers.begin(), numbers.end(), n) != numbers.end();
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Answer(const char* text) { return std::string("\r\n") + text + "\r\n"; }
}  // namespace

void Modem::Receive(std::span<const std::uint8_t> bytes, Millis now) {
  Advance(now);
  for (const std::uint8_t b : bytes) {
    if (state_ == State::Dialling) state_ = State::Command;  // a key press abandons the dial
    if (state_ == State::Online) {
      OnlineByte(b, now);
    } else {
      CommandByte(b, now);
    }
    last_rx_ = now;
  }
}

void Modem::CommandByte(std::uint8_t b, Millis now) {
  if (config_.echo) to_line_.push_back(static_cast<char>(b));
  if (b == '\r') {
    const std::string line = line_;
    line_.clear();
    RunCommand(line, now);
  } else if (b != '\n' && line_.size() < kMaxLine) {
    line_.push_back(static_cast<char>(b));
  }
}

// Whatever came before "AT" is noise to the modem; a line with no "AT" at all is an error.
void Modem::RunCommand(const std::string& received, Millis now) {
  if (received.empty()) return;
  const std::size_t at = Upper(received).find("AT");
  const std::string line = at == std::string::npos ? received : received.substr(at);
  const std::string upper = Upper(line);
  if (upper == "AT" || upper == "ATH" || upper == "ATH0") {
    to_line_ += Answer("OK");
  } else if (upper.starts_with("ATD")) {
    StartDial(line.substr(3), now);
  } else {
    to_line_ += Answer("ERROR");
  }
}

void Modem::StartDial(const std::string& dialled, Millis now) {
  std::string number = dialled;
  if (!number.empty() && (number[0] == 'T' || number[0] == 't' || number[0] == 'P' || number[0] == 'p')) {
    number.erase(0, 1);  // tone or pulse dialling
  }
  if (Listed(config_.busy, number)) {
    dial_answer_ = Answer("BUSY");
  } else if (Listed(config_.no_carrier, number)) {
    dial_answer_ = Answer("NO CARRIER");
  } else if (Listed(config_.no_dialtone, number)) {
    dial_answer_ = Answer("NO DIALTONE");
  } else {
    dial_answer_ = Answer("CONNECT 9600");
  }
  state_ = State::Dialling;
  dial_done_at_ = now + config_.dial_delay_ms;
}

// A '+' after a guard time of silence may begin the escape: hold it back until the sequence
// either completes (and the guard time after it passes) or breaks, then it was data after all.
void Modem::OnlineByte(std::uint8_t b, Millis now) {
  const bool quiet_before = !last_rx_ || now - *last_rx_ >= config_.guard_ms;
  if (pluses_ > 0 && (b != kEscape || pluses_ == kEscapeLength || quiet_before)) ReleaseHeldPluses();
  if (b == kEscape && (pluses_ > 0 || quiet_before)) {
    ++pluses_;
    return;
  }
  to_meter_.push_back(b);
}

void Modem::ReleaseHeldPluses() {
  to_meter_.insert(to_meter_.end(), static_cast<std::size_t>(pluses_), kEscape);
  pluses_ = 0;
}

void Modem::Advance(Millis now) {
  if (state_ == State::Dialling && !config_.silent && now >= dial_done_at_) {
    to_line_ += dial_answer_;
    state_ = dial_answer_.find("CONNECT") != std::string::npos ? State::Online : State::Command;
  }
  if (state_ == State::Online && pluses_ > 0 && last_rx_ && now - *last_rx_ >= config_.guard_ms) {
    if (pluses_ == kEscapeLength) {
      pluses_ = 0;
      to_line_ += Answer("OK");
      state_ = State::Command;
    } else {
      ReleaseHeldPluses();
    }
  }
}

std::optional<Millis> Modem::Deadline() const {
  if (state_ == State::Dialling && !config_.silent) return dial_done_at_;
  if (state_ == State::Online && pluses_ > 0 && last_rx_) return *last_rx_ + config_.guard_ms;
  return std::nullopt;
}

std::string Modem::TakeToLine() { return std::exchange(to_line_, {}); }

std::vector<std::uint8_t> Modem::TakeToMeter() { return std::exchange(to_meter_, {}); }

}  // namespace kamt::sim
