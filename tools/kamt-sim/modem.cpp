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
    lastRx_ = now;
  }
}

void Modem::CommandByte(std::uint8_t b, Millis now) {
  if (config_.echo) toLine_.push_back(static_cast<char>(b));
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
    toLine_ += Answer("OK");
  } else if (upper.starts_with("ATD")) {
    StartDial(line.substr(3), now);
  } else {
    toLine_ += Answer("ERROR");
  }
}

void Modem::StartDial(const std::string& dialled, Millis now) {
  std::string number = dialled;
  if (!number.empty() && (number[0] == 'T' || number[0] == 't' || number[0] == 'P' || number[0] == 'p')) {
    number.erase(0, 1);  // tone or pulse dialling
  }
  if (Listed(config_.busy, number)) {
    dialAnswer_ = Answer("BUSY");
  } else if (Listed(config_.noCarrier, number)) {
    dialAnswer_ = Answer("NO CARRIER");
  } else if (Listed(config_.noDialtone, number)) {
    dialAnswer_ = Answer("NO DIALTONE");
  } else if (Listed(config_.connectOk, number)) {
    dialAnswer_ = Answer("CONNECT 9600") + Answer("OK");
  } else {
    dialAnswer_ = Answer("CONNECT 9600");
  }
  state_ = State::Dialling;
  dialDoneAt_ = now + config_.dialDelayMs;
}

// A '+' after a guard time of silence may begin the escape: hold it back until the sequence
// either completes (and the guard time after it passes) or breaks, then it was data after all.
void Modem::OnlineByte(std::uint8_t b, Millis now) {
  const bool quietBefore = !lastRx_ || now - *lastRx_ >= config_.guardMs;
  if (pluses_ > 0 && (b != kEscape || pluses_ == kEscapeLength || quietBefore)) ReleaseHeldPluses();
  if (b == kEscape && (pluses_ > 0 || quietBefore)) {
    ++pluses_;
    return;
  }
  toMeter_.push_back(b);
}

void Modem::ReleaseHeldPluses() {
  toMeter_.insert(toMeter_.end(), static_cast<std::size_t>(pluses_), kEscape);
  pluses_ = 0;
}

void Modem::Advance(Millis now) {
  if (state_ == State::Dialling && !config_.silent && now >= dialDoneAt_) {
    toLine_ += dialAnswer_;
    state_ = dialAnswer_.find("CONNECT") != std::string::npos ? State::Online : State::Command;
  }
  if (state_ == State::Online && pluses_ > 0 && lastRx_ && now - *lastRx_ >= config_.guardMs) {
    if (pluses_ == kEscapeLength) {
      pluses_ = 0;
      toLine_ += Answer("OK");
      state_ = State::Command;
    } else {
      ReleaseHeldPluses();
    }
  }
}

std::optional<Millis> Modem::Deadline() const {
  if (state_ == State::Dialling && !config_.silent) return dialDoneAt_;
  if (state_ == State::Online && pluses_ > 0 && lastRx_) return *lastRx_ + config_.guardMs;
  return std::nullopt;
}

std::string Modem::TakeToLine() { return std::exchange(toLine_, {}); }

std::vector<std::uint8_t> Modem::TakeToMeter() { return std::exchange(toMeter_, {}); }

}  // namespace kamt::sim
