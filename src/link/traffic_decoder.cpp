#include "link/traffic_decoder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "link/check_response.h"
#include "link/crc16.h"
#include "link/modbus.h"
#include "text/cp1251.h"

namespace kamt {
namespace {

constexpr std::size_t kRtuMinimum = 4;       // address, function, CRC
constexpr std::size_t kCrcCountLimit = 255;  // the CRC routine counts in 8 bits
constexpr std::uint8_t kMeterUnitId = 0xFF;  // the meter's unit identifier over TCP

std::string Hex2(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
  return text;
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
  return text;
}

std::string Num(std::size_t value) { return std::to_string(value); }

// Modbus sends every field of its PDU high byte first.
unsigned Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<unsigned>(bytes[at]) << 8 | bytes[at + 1];
}

class Summary {
 public:
  void Add(std::string part) { parts_.push_back(std::move(part)); }
  void Fault(std::string part) {
    fault_ = true;
    Add(std::move(part));
  }
  TrafficSummary Done() const {
    TrafficSummary result{{}, fault_};
    for (const std::string& part : parts_) {
      if (!result.text.empty()) result.text += "; ";
      result.text += part;
    }
    return result;
  }

 private:
  std::vector<std::string> parts_;
  bool fault_ = false;
};

const char* FunctionName(std::uint8_t function) {
  switch (function) {
    case modbus::kReadHoldingRegisters: return "чтение регистров хранения";
    case modbus::kReadInputRegisters: return "чтение входных регистров";
    case modbus::kWriteMultipleRegisters: return "запись регистров";
    case modbus::kHourlyArchive: return "часовой архив";
    case modbus::kDailyArchive: return "суточный архив";
    case modbus::kMonthlyArchive: return "месячный архив";
    default: return nullptr;
  }
}

// The fields of a function need this many data bytes; fewer leave a broken frame.
bool Complete(Summary& s, std::span<const std::uint8_t> data, std::size_t need) {
  if (data.size() >= need) return true;
  s.Fault("кадр неполон, байт данных: " + Num(data.size()) + " из " + Num(need));
  return false;
}

// Bytes behind the last field: harmless in a request of ours, a broken answer from the meter.
void Extra(Summary& s, TrafficDirection direction, std::size_t extra) {
  if (extra == 0) return;
  const std::string text = "лишних байт: " + Num(extra);
  if (direction == TrafficDirection::Received) {
    s.Fault(text);
  } else {
    s.Add(text);
  }
}

void StartAndCount(Summary& s, TrafficDirection direction, std::span<const std::uint8_t> data) {
  if (!Complete(s, data, 4)) return;
  s.Add("начало " + Hex4(Word(data, 0)) + ", количество " + Num(Word(data, 2)));
  Extra(s, direction, data.size() - 4);
}

// A 0x03/0x04 answer: its byte count, then the registers.
void RegisterAnswer(Summary& s, std::span<const std::uint8_t> data) {
  if (!Complete(s, data, 1)) return;
  const std::size_t count = data[0];
  s.Add("байт: " + Num(count));
  if (data.size() - 1 != count) s.Fault("пришло: " + Num(data.size() - 1));
}

// A 0x10 request: start, count, byte count, then the registers.
void WriteRequest(Summary& s, std::span<const std::uint8_t> data) {
  if (!Complete(s, data, 5)) return;
  const std::size_t count = data[4];
  s.Add("начало " + Hex4(Word(data, 0)) + ", количество " + Num(Word(data, 2)) + ", байт: " + Num(count));
  if (data.size() - 5 != count) s.Fault("данных: " + Num(data.size() - 5));
}

// Over TCP the master sends one byte more after the index, always ignored by the meter.
void ArchiveRequest(Summary& s, std::span<const std::uint8_t> data) {
  if (Complete(s, data, 2)) s.Add("запись " + Num(Word(data, 0)));
}

// The meter echoes the index in the two bytes before the 40-byte record, which begins with
// the hour, day, month and year of the record.
void ArchiveAnswer(Summary& s, std::span<const std::uint8_t> data) {
  if (!Complete(s, data, 2)) return;
  const auto record = data.subspan(2);
  std::string text = "запись " + Num(Word(data, 0));
  if (record.size() >= 4) {
    char date[48];
    std::snprintf(date, sizeof date, " от %02u.%02u.20%02u %02u:00", unsigned{record[1]}, unsigned{record[2]},
                  unsigned{record[3]}, unsigned{record[0]});
    text += date;
  }
  s.Add(text);
  if (record.size() < modbus::kArchiveRecordSize) {
    s.Fault("запись неполна, байт: " + Num(record.size()) + " из " + Num(modbus::kArchiveRecordSize));
  }
  Extra(s, TrafficDirection::Received, record.size() > modbus::kArchiveRecordSize ? record.size() - modbus::kArchiveRecordSize : 0);
}

void DescribePdu(Summary& s, TrafficDirection direction, std::span<const std::uint8_t> pdu) {
  if (pdu.empty()) return s.Fault("нет кода функции");
  const std::uint8_t function = pdu[0];
  if (function & 0x80) {
    if (pdu.size() < 2) return s.Fault(Hex2(function) + " исключение без кода");
    s.Fault(Hex2(function) + " исключение " + Hex2(pdu[1]) + ": " + ExceptionMessage(pdu[1]));
    return Extra(s, direction, pdu.size() - 2);
  }
  const char* name = FunctionName(function);
  if (!name) return s.Fault("функция " + Hex2(function) + " неизвестна");
  s.Add(Hex2(function) + " " + name);
  const auto data = pdu.subspan(1);
  const bool request = direction == TrafficDirection::Sent;
  switch (function) {
    case modbus::kReadHoldingRegisters:
    case modbus::kReadInputRegisters: return request ? StartAndCount(s, direction, data) : RegisterAnswer(s, data);
    case modbus::kWriteMultipleRegisters: return request ? WriteRequest(s, data) : StartAndCount(s, direction, data);
    default: return request ? ArchiveRequest(s, data) : ArchiveAnswer(s, data);
  }
}

// What the frame asks or answers comes first, the transport's fields after it.
void DescribeRtu(Summary& s, TrafficDirection direction, std::span<const std::uint8_t> frame) {
  if (frame.size() < kRtuMinimum) {
    s.Fault("короткий кадр, байт: " + Num(frame.size()));
    if (!frame.empty()) s.Add("адрес " + Num(frame[0]));
    return;
  }
  DescribePdu(s, direction, frame.subspan(1, frame.size() - 3));
  s.Add("адрес " + Num(frame[0]));
  if (frame.size() > kCrcCountLimit) return s.Fault("кадр длиннее 255 байт, CRC не проверена");
  if (Crc16Check(frame, static_cast<std::uint8_t>(frame.size())) != 0) s.Fault("CRC неверна");
}

void DescribeTcp(Summary& s, TrafficDirection direction, std::span<const std::uint8_t> frame) {
  if (frame.size() < modbus::kMbapHeaderSize) return s.Fault("короткий кадр, байт: " + Num(frame.size()));
  // The length field counts the unit identifier and the PDU.
  const std::size_t length = Word(frame, 4);
  const std::size_t pduEnd = std::min(frame.size(), 6 + length);
  DescribePdu(s, direction, frame.subspan(modbus::kMbapHeaderSize, pduEnd > modbus::kMbapHeaderSize ? pduEnd - modbus::kMbapHeaderSize : 0));
  // The master sends its transaction counter low byte first, and the meter echoes it so.
  const unsigned transaction = frame[0] | static_cast<unsigned>(frame[1]) << 8;
  const unsigned protocol = Word(frame, 2);
  const std::uint8_t unit = frame[6];
  s.Add("транзакция " + Num(transaction) + ", протокол " + Num(protocol) + ", длина " + Num(length) +
        ", устройство " + Num(unit));
  if (protocol != 0) s.Fault("протокол не 0");
  if (unit != kMeterUnitId) s.Fault("устройство не 255");
  const std::size_t follows = frame.size() - 6;
  if (length > follows) s.Fault("не хватает байт: " + Num(length - follows));
  if (length < follows) s.Fault("за кадром ещё байт: " + Num(follows - length));
}

bool IsEmptyRead(TrafficDirection direction, std::span<const std::uint8_t> bytes) {
  return direction == TrafficDirection::Received && bytes.empty();
}

}  // namespace

std::string ModemText(std::span<const std::uint8_t> bytes) {
  std::string raw;
  for (const std::uint8_t b : bytes) {
    if (b == '\r') {
      raw += "<CR>";
    } else if (b == '\n') {
      raw += "<LF>";
    } else if (b < 0x20 || b == 0x7F || b == 0x98) {  // 0x98 is no character of Windows-1251
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", unsigned{b});
      raw += hex;
    } else {
      raw += static_cast<char>(b);
    }
  }
  return Cp1251ToUtf8(raw);
}

TrafficSummary DescribeTraffic(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) {
  Summary s;
  if (IsEmptyRead(direction, bytes)) {
    s.Fault("нет ответа");
    return s.Done();
  }
  switch (kind) {
    case TrafficKind::Rtu: DescribeRtu(s, direction, bytes); break;
    case TrafficKind::Tcp: DescribeTcp(s, direction, bytes); break;
    case TrafficKind::TcpLate:
      s.Fault("опоздавшие байты, отброшены");
      DescribeTcp(s, direction, bytes);
      break;
    case TrafficKind::RtuLate:
      s.Fault("опоздавшие байты, отброшены");
      DescribeRtu(s, direction, bytes);
      break;
    case TrafficKind::ModemText: s.Add("модем: " + ModemText(bytes)); break;
  }
  return s.Done();
}

}  // namespace kamt
