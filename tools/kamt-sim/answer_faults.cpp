#include "answer_faults.h"

#include "archive.h"

namespace kamt::sim {

namespace {
bool IsRegisterAnswer(std::uint8_t function) { return function == fn::kReadHolding || function == fn::kReadInput; }

void Increment(Pdu& pdu, std::size_t at) {
  const auto v = static_cast<std::uint16_t>((pdu[at] << 8 | pdu[at + 1]) + 1);
  pdu[at] = static_cast<std::uint8_t>(v >> 8);
  pdu[at + 1] = static_cast<std::uint8_t>(v);
}

// A well-formed answer of function f carrying what the real answer carries, as far as it fits.
Pdu AsFunction(std::uint8_t f, const Pdu& answer, std::span<const std::uint8_t> request, ModbusHandler& handler,
               Millis now) {
  if (IsRegisterAnswer(f) || f == answer[0]) {
    Pdu out{f};
    if (!IsRegisterAnswer(answer[0])) out.push_back(static_cast<std::uint8_t>(answer.size() - 1));
    out.insert(out.end(), answer.begin() + 1, answer.end());
    return out;
  }
  if (f == fn::kWriteMultiple) {  // echoes the request's start and count; an archive request has none
    if (request.size() < 5 || IsArchiveFunction(request[0])) return {f, 0, 0, 0, 0};
    return {f, request[1], request[2], request[3], request[4]};
  }
  if (IsArchiveFunction(answer[0])) {
    Pdu out = answer;
    out[0] = f;
    return out;
  }
  // An archive answer to a request that was none: the archive's first record (zeros when it
  // is empty) under the request's first two data bytes.
  Pdu out = handler.Answer(Pdu{f, 0, 0}, now);
  if (out.size() != 3 + kArchiveRecordSize) out.assign(3 + kArchiveRecordSize, 0);
  out[0] = f;
  out[1] = request.size() > 2 ? request[1] : 0;
  out[2] = request.size() > 2 ? request[2] : 0;
  return out;
}

void EchoWrite(Pdu& answer, WriteEcho echo) {
  if (answer.size() != 5) return;
  switch (echo) {
    case WriteEcho::Bare: answer.resize(1); break;
    case WriteEcho::Start: Increment(answer, 1); break;
    case WriteEcho::Count: Increment(answer, 3); break;
  }
}
}  // namespace

Pdu AnswerUnderFaults(const FaultAction& fault, std::span<const std::uint8_t> request, ModbusHandler& handler,
                      Millis now) {
  if (fault.exception) return ExceptionPdu(request[0], *fault.exception);
  if (fault.Skips()) return {};
  Pdu answer = handler.Answer(request, now);
  if (answer.empty() || (answer[0] & 0x80) != 0) return answer;
  if (fault.wrongFunction) answer = AsFunction(*fault.wrongFunction, answer, request, handler, now);
  if (fault.writeEcho && answer[0] == fn::kWriteMultiple) EchoWrite(answer, *fault.writeEcho);
  if (fault.byteCount && IsRegisterAnswer(answer[0])) answer[1] = *fault.byteCount;
  return answer;
}

}  // namespace kamt::sim
