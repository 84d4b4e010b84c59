#include "fault_plan.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "modbus_handler.h"

namespace kamt::sim {

namespace {
enum class Value { None, Required, Optional };

struct NamedMode {
  std::string_view name;
  FaultMode mode;
  Value value;
  int defaultValue = 0;  // for Value::Optional
};

constexpr NamedMode kModes[] = {
    {"silent", FaultMode::Silent, Value::None},
    {"exception", FaultMode::Exception, Value::Required},
    {"delay", FaultMode::Delay, Value::Required},
    {"noise", FaultMode::Noise, Value::Required},
    {"endless", FaultMode::Endless, Value::Optional, kDefaultEndlessPeriodMs},
    {"crc", FaultMode::Crc, Value::None},
    {"short", FaultMode::Short, Value::None},
    {"wrong-transaction", FaultMode::WrongTransaction, Value::None},
    {"wrong-protocol", FaultMode::WrongProtocol, Value::None},
    {"wrong-unit", FaultMode::WrongUnit, Value::None},
    {"wrong-length", FaultMode::WrongLength, Value::None},
    {"split", FaultMode::Split, Value::Required},
    {"two-frames", FaultMode::TwoFrames, Value::None},
    {"late", FaultMode::Late, Value::Required},
    {"drop", FaultMode::Drop, Value::None},
    {"reset", FaultMode::Reset, Value::None},
    {"archive-fail-first", FaultMode::ArchiveFailFirst, Value::Required},
    {"archive-fail-index", FaultMode::ArchiveFailIndex, Value::Required},
    {"wrong-address", FaultMode::WrongAddress, Value::Optional, kNextAddress},
    {"wrong-function", FaultMode::WrongFunction, Value::Required},
    {"write-echo", FaultMode::WriteEcho, Value::Required},
    {"byte-count", FaultMode::ByteCount, Value::Required},
    {"duplicate", FaultMode::Duplicate, Value::Required},
    {"flood", FaultMode::Flood, Value::None},
};

// The functions whose normal answer the wrong-function fault knows how to build.
constexpr int kAnswerFunctions[] = {0x03, 0x04, 0x10, 0x46, 0x47, 0x48};
constexpr std::string_view kWriteEchoes[] = {"bare", "start", "count"};  // in the order of WriteEcho

std::optional<int> ParseNumber(std::string_view s, int max) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc{} || end != s.data() + s.size() || s.empty() || v < 0 || v > max) return std::nullopt;
  return v;
}

int MinValue(FaultMode mode) {
  // No noise is no fault, and a stream with no pause between its bytes would never let go.
  return mode == FaultMode::Noise || mode == FaultMode::Endless ? 1 : 0;
}

int MaxValue(FaultMode mode);

std::optional<int> ParseValue(FaultMode mode, std::string_view text) {
  if (mode == FaultMode::WriteEcho) {
    for (std::size_t i = 0; i < std::size(kWriteEchoes); ++i) {
      if (text == kWriteEchoes[i]) return static_cast<int>(i);
    }
    return std::nullopt;
  }
  const auto v = ParseNumber(text, MaxValue(mode));
  if (!v || *v < MinValue(mode)) return std::nullopt;
  if (mode == FaultMode::WrongFunction && std::find(std::begin(kAnswerFunctions), std::end(kAnswerFunctions), *v) ==
                                              std::end(kAnswerFunctions)) {
    return std::nullopt;
  }
  return v;
}

int MaxValue(FaultMode mode) {
  if (mode == FaultMode::Exception || mode == FaultMode::WrongAddress || mode == FaultMode::WrongFunction ||
      mode == FaultMode::ByteCount) {
    return 255;
  }
  if (mode == FaultMode::ArchiveFailIndex || mode == FaultMode::Noise) return 65535;
  if (mode == FaultMode::Endless) return 60'000;
  return 10'000'000;
}

// A fault that reshapes one kind of answer strikes only requests that get such an answer.
bool AppliesTo(FaultMode mode, Transport t, std::uint8_t function) {
  switch (mode) {
    case FaultMode::Silent:
    case FaultMode::Exception:
    case FaultMode::Delay:
    case FaultMode::Noise:
    case FaultMode::Endless:
    case FaultMode::WrongFunction:
    case FaultMode::Duplicate:
    case FaultMode::Flood:
      return true;
    case FaultMode::WriteEcho:
      return function == fn::kWriteMultiple;
    case FaultMode::ByteCount:
      return function == fn::kReadHolding || function == fn::kReadInput;
    case FaultMode::Crc:
    case FaultMode::Short:
    case FaultMode::WrongAddress:
      return t == Transport::Serial;
    case FaultMode::ArchiveFailFirst:
    case FaultMode::ArchiveFailIndex:
      return false;
    default:
      return t == Transport::Tcp;
  }
}

void Strike(const Fault& f, FaultAction& a) {
  switch (f.mode) {
    case FaultMode::Silent: a.silent = true; break;
    case FaultMode::Noise: a.noise = f.value; break;
    case FaultMode::Endless: a.endlessMs = f.value; break;
    case FaultMode::Reset: a.reset = true; break;
    case FaultMode::Exception: a.exception = static_cast<std::uint8_t>(f.value); break;
    case FaultMode::Delay:
    case FaultMode::Late: a.delayMs += f.value; break;
    case FaultMode::Crc: a.badCrc = true; break;
    case FaultMode::Short: a.half = true; break;
    case FaultMode::WrongTransaction: a.wrongTransaction = true; break;
    case FaultMode::WrongProtocol: a.wrongProtocol = true; break;
    case FaultMode::WrongUnit: a.wrongUnit = true; break;
    case FaultMode::WrongLength: a.wrongLength = true; break;
    case FaultMode::Split: a.splitMs = f.value; break;
    case FaultMode::TwoFrames: a.twoFrames = true; break;
    case FaultMode::Drop: a.drop = true; break;
    case FaultMode::WrongAddress: a.wrongAddress = f.value; break;
    case FaultMode::WrongFunction: a.wrongFunction = static_cast<std::uint8_t>(f.value); break;
    case FaultMode::WriteEcho: a.writeEcho = static_cast<WriteEcho>(f.value); break;
    case FaultMode::ByteCount: a.byteCount = static_cast<std::uint8_t>(f.value); break;
    case FaultMode::Duplicate: a.duplicateMs = f.value; break;
    case FaultMode::Flood: a.flood = true; break;
    case FaultMode::ArchiveFailFirst:
    case FaultMode::ArchiveFailIndex: break;
  }
}
}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  for (const NamedMode& m : kModes) {
    if (m.name != name) continue;
    if (colon == std::string_view::npos) {
      if (m.value == Value::Required) return std::nullopt;
      return Fault{m.mode, m.defaultValue};
    }
    if (m.value == Value::None) return std::nullopt;
    const auto v = ParseValue(m.mode, text.substr(colon + 1));
    if (!v) return std::nullopt;
    return Fault{m.mode, *v};
  }
  return std::nullopt;
}

std::optional<ArchiveFailure> ParseArchiveFailure(std::string_view text) {
  if (text == "silent") return ArchiveFailure::Silent;
  if (text == "crc") return ArchiveFailure::Crc;
  if (text == "exception") return ArchiveFailure::Exception;
  if (text == "flood") return ArchiveFailure::Flood;
  return std::nullopt;
}

FaultPlan::FaultPlan(std::vector<Fault> faults, std::optional<unsigned> times, ArchiveFailure archiveFailure,
                     int answerDelayMs, unsigned skip)
    : faults_(std::move(faults)),
      seen_(faults_.size(), 0),
      times_(times),
      skip_(skip),
      archiveFailure_(archiveFailure),
      answerDelayMs_(answerDelayMs) {}

FaultAction FaultPlan::Decide(Transport transport, std::span<const std::uint8_t> pdu) {
  FaultAction action;
  action.delayMs = answerDelayMs_;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    if (pdu.empty() || !AppliesTo(faults_[i].mode, transport, pdu[0])) continue;
    const unsigned seen = seen_[i]++;
    if (seen < skip_ || (times_ && seen - skip_ >= *times_)) continue;
    Strike(faults_[i], action);
  }
  if (action.noise > 0) action.noiseSeed = ++noiseStruck_;
  if (pdu.size() >= 3 && IsArchiveFunction(pdu[0])) {
    const auto index = static_cast<std::uint16_t>(pdu[1] << 8 | pdu[2]);
    if (ArchiveRequestFails(pdu[0], index, action.Spoils())) ApplyArchiveFailure(transport, action);
  } else {
    lastArchive_.reset();  // any other request ends a read of an archive
  }
  return action;
}

// A read of an archive starts with its first request, or when the index goes back, or when the
// same index comes again after it was answered; the same index after a failure (of any fault)
// is the master's retry and belongs to the read under way.
bool FaultPlan::ArchiveRequestFails(std::uint8_t function, std::uint16_t index, bool spoiled) {
  const bool newRead = !lastArchive_ || lastArchive_->function != function || index < lastArchive_->index ||
                        (index == lastArchive_->index && !lastArchive_->failed);
  positionInRead_ = newRead ? 0 : positionInRead_ + 1;
  bool fails = false;
  for (const Fault& f : faults_) {
    if (f.mode == FaultMode::ArchiveFailFirst && positionInRead_ < static_cast<unsigned>(f.value)) fails = true;
    if (f.mode == FaultMode::ArchiveFailIndex && index == f.value) fails = true;
  }
  lastArchive_ = LastArchive{function, index, fails || spoiled};
  return fails;
}

// A TCP frame has no CRC to spoil: there the "crc" failure is an exception answer instead.
void FaultPlan::ApplyArchiveFailure(Transport transport, FaultAction& action) const {
  if (archiveFailure_ == ArchiveFailure::Silent) {
    action.silent = true;
  } else if (archiveFailure_ == ArchiveFailure::Flood) {
    action.flood = true;  // from inside an archive read on, as during the master's pauses
  } else if (archiveFailure_ == ArchiveFailure::Crc && transport == Transport::Serial) {
    action.badCrc = true;
  } else {
    action.exception = exc::kDeviceFailure;
  }
}

}  // namespace kamt::sim
