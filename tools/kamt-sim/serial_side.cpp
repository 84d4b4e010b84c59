#include "serial_side.h"

#include <algorithm>
#include <string>

#include "answer_faults.h"
#include "reply.h"

namespace kamt::sim {

SerialSide::SerialSide(SerialConfig config, const Bus& bus, Logger log)
    : config_(std::move(config)),
      bus_(bus),
      log_(std::move(log)),
      framer_(config_.overTcp ? std::nullopt : std::optional<Millis>(RtuFramer::kDefaultSilenceMs)) {
  if (config_.modem) modem_.emplace(*config_.modem);
}

void SerialSide::Receive(std::span<const std::uint8_t> bytes, Millis now) {
  if (flooding_) return;  // nothing is answered any more
  if (modem_) {
    modem_->Receive(bytes, now);
    CollectModemOutput(now);
  } else {
    framer_.Push(bytes, now);
  }
  Serve(now);
}

void SerialSide::Advance(Millis now) {
  if (modem_) {
    modem_->Advance(now);
    CollectModemOutput(now);
  }
  Serve(now);
}

void SerialSide::CollectModemOutput(Millis now) {
  const std::string text = modem_->TakeToLine();
  if (!text.empty()) out_.Add(Emission{now, {text.begin(), text.end()}, false, false});
  const std::vector<std::uint8_t> data = modem_->TakeToMeter();
  framer_.Push(data, now);
}

void SerialSide::Serve(Millis now) {
  while (auto frame = framer_.Next(now)) Answer(*frame, now);
}

void SerialSide::Answer(const std::vector<std::uint8_t>& frame, Millis now) {
  if (log_) log_(config_.name + " rx " + Hex(frame));
  endless_.Stop();  // the master has given up on the answer that never ended
  Station* station = bus_.Find(frame[0]);
  if (station == nullptr) return;  // for another meter on the line, or for none
  // A frame sent at another bit rate or framing reaches the meter as noise: it stays silent.
  if (config_.lineMatches && !config_.lineMatches()) return;
  const std::span<const std::uint8_t> pdu(frame.begin() + 1, frame.end() - 2);
  const FaultAction fault = station->faults.Decide(Transport::Serial, pdu);
  flooding_ = fault.flood;
  const Pdu answer = AnswerUnderFaults(fault, pdu, station->handler, now);
  for (Emission& e : ShapeSerialReply(station->address, answer, fault, now, frame.size(), config_.baud)) {
    out_.Add(std::move(e));
  }
  if (fault.endlessMs) endless_.Start({}, kEndlessFiller, now + fault.delayMs + *fault.endlessMs, *fault.endlessMs);
}

std::vector<Emission> SerialSide::TakeDue(Millis now) {
  if (flooding_) return {};
  Advance(now);
  std::vector<Emission> due = out_.TakeDue(now);
  if (std::vector<std::uint8_t> more = endless_.TakeDue(now); !more.empty()) {
    due.push_back(Emission{now, std::move(more), true, false, false, true});
  }
  // A modem back in command mode no longer carries the meter's answers.
  if (!ModemPassesAnswers()) std::erase_if(due, [](const Emission& e) { return e.answer; });
  if (log_) {
    for (const Emission& e : due) log_((e.answer ? config_.name + " tx " : "modem tx ") + Hex(e.bytes));
  }
  return due;
}

std::optional<Millis> SerialSide::NextWake() const {
  if (flooding_) return std::nullopt;
  std::optional<Millis> wake = out_.Next();
  for (const auto& t : {framer_.Deadline(), modem_ ? modem_->Deadline() : std::nullopt, endless_.Next()}) {
    if (t && (!wake || *t < *wake)) wake = t;
  }
  return wake;
}

}  // namespace kamt::sim
