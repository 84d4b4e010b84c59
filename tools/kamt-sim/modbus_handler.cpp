#include "modbus_handler.h"

namespace kamt::sim {

namespace {
constexpr std::uint16_t kMaxReadCount = 125;
constexpr std::uint16_t kMaxWriteCount = 123;

std::uint16_t Word(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

void Append(Pdu& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

bool Inside(std::uint32_t start, std::uint32_t count, std::uint32_t first, std::uint32_t size) {
  return start >= first && start + count <= first + size;
}

ArchiveKind KindOf(std::uint8_t function) {
  if (function == fn::kDailyArchive) return ArchiveKind::Daily;
  if (function == fn::kMonthlyArchive) return ArchiveKind::Monthly;
  return ArchiveKind::Hourly;
}
}  // namespace

Pdu ExceptionPdu(std::uint8_t function, std::uint8_t code) {
  return {static_cast<std::uint8_t>(function | 0x80), code};
}

bool IsArchiveFunction(std::uint8_t function) {
  return function >= fn::kHourlyArchive && function <= fn::kMonthlyArchive;
}

Pdu ModbusHandler::Answer(std::span<const std::uint8_t> pdu, Millis realNow) {
  if (pdu.empty()) return {};
  const Millis now = time_ != nullptr ? time_->Simulated(realNow) : realNow;
  meter_.Sync(now);
  const std::uint8_t function = pdu[0];
  switch (function) {
    case fn::kReadHolding:
      return ReadHolding(pdu, now);
    case fn::kReadInput:
      return ReadInput(pdu, now);
    case fn::kWriteMultiple:
      return WriteMultiple(pdu, now);
    default:
      if (IsArchiveFunction(function)) return ReadArchive(pdu);
      return ExceptionPdu(function, exc::kIllegalFunction);
  }
}

Pdu ModbusHandler::ReadHolding(std::span<const std::uint8_t> pdu, Millis now) const {
  if (pdu.size() != 5) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  const std::uint16_t start = Word(pdu, 1);
  const std::uint16_t count = Word(pdu, 3);
  if (count == 0 || count > kMaxReadCount) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  if (!Inside(start, count, 0, Meter::kHoldingCount)) return ExceptionPdu(pdu[0], exc::kIllegalAddress);
  Pdu out{pdu[0], static_cast<std::uint8_t>(2 * count)};
  for (std::uint16_t i = 0; i < count; ++i) Append(out, meter_.ReadHolding(static_cast<std::uint16_t>(start + i), now));
  return out;
}

Pdu ModbusHandler::ReadInput(std::span<const std::uint8_t> pdu, Millis now) const {
  if (pdu.size() != 5) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  const std::uint16_t start = Word(pdu, 1);
  const std::uint16_t count = Word(pdu, 3);
  if (count == 0 || count > kMaxReadCount) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  if (!Inside(start, count, Meter::kInputFirst, Meter::kInputCount)) return ExceptionPdu(pdu[0], exc::kIllegalAddress);
  const auto block = meter_.InputRegisters(now);
  Pdu out{pdu[0], static_cast<std::uint8_t>(2 * count)};
  const std::size_t first = start - Meter::kInputFirst;
  for (std::size_t i = 0; i < count; ++i) Append(out, block[first + i]);
  return out;
}

Pdu ModbusHandler::WriteMultiple(std::span<const std::uint8_t> pdu, Millis now) {
  if (pdu.size() < 6) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  const std::uint16_t start = Word(pdu, 1);
  const std::uint16_t count = Word(pdu, 3);
  const std::size_t byteCount = pdu[5];
  if (count == 0 || count > kMaxWriteCount || byteCount != 2u * count || pdu.size() != 6 + byteCount) {
    return ExceptionPdu(pdu[0], exc::kIllegalValue);
  }
  if (!Inside(start, count, 0, Meter::kHoldingCount)) return ExceptionPdu(pdu[0], exc::kIllegalAddress);
  std::vector<std::uint16_t> values(count);
  for (std::size_t i = 0; i < count; ++i) values[i] = Word(pdu, 6 + 2 * i);
  if (!meter_.WriteHolding(start, values, now)) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  return {pdu[0], pdu[1], pdu[2], pdu[3], pdu[4]};
}

// The master sends the index and, over TCP, one more byte that is always zero.
Pdu ModbusHandler::ReadArchive(std::span<const std::uint8_t> pdu) const {
  if (pdu.size() != 3 && pdu.size() != 4) return ExceptionPdu(pdu[0], exc::kIllegalValue);
  const ArchiveKind kind = KindOf(pdu[0]);
  const std::uint16_t index = Word(pdu, 1);
  if (index >= meter_.RecordCount(kind)) return ExceptionPdu(pdu[0], exc::kIllegalAddress);
  Pdu out{pdu[0], pdu[1], pdu[2]};
  const ArchiveRecord record = meter_.Record(kind, index);
  out.insert(out.end(), record.begin(), record.end());
  return out;
}

}  // namespace kamt::sim
