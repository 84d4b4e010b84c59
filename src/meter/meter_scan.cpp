#include "meter/meter_scan.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>

#include "link/check_response.h"
#include "link/client_socket.h"
#include "link/crc16.h"
#include "link/link.h"
#include "link/modbus.h"
#include "link/rtu_tcp_transact.h"
#include "link/serial_line.h"
#include "link/traffic_event.h"
#include "meter/current_data.h"

namespace kamt {
namespace {

// The current-data request: the one every meter answers, and one that tells its serial number.
constexpr std::array<std::uint8_t, 4> kRequestData = {modbus::kCurrentDataFirst >> 8, modbus::kCurrentDataFirst & 0xFF,
                                                      0, modbus::kCurrentDataCount};
constexpr int kRequestBytes = 8;
constexpr int kAnswerBytes = modbus::RegisterAnswerLength(modbus::kCurrentDataCount);
constexpr int kUsualBaudrate = 9600;

char ParityLetter(Parity parity) {
  switch (parity) {
    case Parity::Even: return 'E';
    case Parity::Odd: return 'O';
    case Parity::Mark: return 'M';
    case Parity::Space: return 'S';
    case Parity::None: break;
  }
  return 'N';
}

class Scanner {
 public:
  Scanner(Link& link, const ScanPlan& plan, ScanListener& listener)
      : link_(link), plan_(plan), listener_(listener), stop_([this] { return listener_.Stopped(); }) {}

  ScanResult Run() {
    const std::vector<ScanLine> lines = link_.IsSerial() ? ScanLines(plan_) : std::vector<ScanLine>{ConverterLine()};
    const int perLine = std::max(0, plan_.lastAddress - plan_.firstAddress + 1);
    result_.total = perLine * static_cast<int>(lines.size());
    for (const ScanLine& line : lines) leftMs_ += static_cast<long long>(perLine) * Cost(line);
    listener_.Progress(0, result_.total, leftMs_);
    for (const ScanLine& line : lines) {
      if (Over()) break;
      if (SetLine(line)) {
        TryAddresses(line);
      } else {
        Skip(line, perLine);
      }
    }
    if (link_.IsSerial() && link_.port.IsOpen()) link_.port.Configure(MapLineParameters(link_.LinkSettings));
    result_.connectionLost = lost_;
    return result_;
  }

 private:
  ScanLine ConverterLine() const { return {link_.LinkSettings.Baudrate, Parity::None}; }
  int Cost(const ScanLine& line) const { return WireTimeMs(kRequestBytes, line) + plan_.windowMs; }

  bool Over() {
    if (!result_.stopped && listener_.Stopped()) result_.stopped = true;
    return result_.stopped || lost_;
  }

  bool SetLine(const ScanLine& line) {
    if (!link_.IsSerial()) return true;
    const std::vector<std::string> refused = link_.port.Configure({line.baudrate, 8, line.parity, StopBits::One});
    if (refused.empty()) return true;
    listener_.LineRefused(line, refused);
    return false;
  }

  void Skip(const ScanLine& line, int attempts) {
    done_ += attempts;
    leftMs_ -= static_cast<long long>(attempts) * Cost(line);
    listener_.Progress(done_, result_.total, leftMs_);
  }

  void TryAddresses(const ScanLine& line) {
    for (int address = plan_.firstAddress; address <= plan_.lastAddress && !Over(); ++address) {
      // A meter found already would only be found again: the bus has one at each address.
      if (!answered_.contains(address)) {
        ++result_.attempts;
        if (const auto serial = Try(address, line)) Record({address, line, link_.IsSerial(), *serial});
      }
      Skip(line, 1);
    }
  }

  void Record(const ScanFind& find) {
    answered_.insert(find.address);
    result_.found.push_back(find);
    listener_.Found(find);
  }

  // The serial number of a meter that answered at this address, if one did.
  std::optional<std::uint16_t> Try(int address, const ScanLine& line) {
    std::array<std::uint8_t, kRequestBytes> frame = {static_cast<std::uint8_t>(address), modbus::kReadInputRegisters};
    std::copy(kRequestData.begin(), kRequestData.end(), frame.begin() + 2);
    Crc16Append(frame, kRequestBytes - 2);
    std::array<std::uint8_t, kAnswerBytes> answer{};
    const int firstByteMs = Cost(line);
    std::size_t n = 0;
    if (link_.IsSerial()) {
      SendRequest(link_.port, frame);
      n = ReadAnswer(link_.port, answer, link_.clock, stop_, firstByteMs);
      Trace(link_.port.traffic, TrafficDirection::Received, TrafficKind::Rtu, std::span(answer).first(n));
      lost_ = !link_.port.IsOpen();
    } else {
      n = RtuTcpTransact(link_, frame, answer, stop_, firstByteMs).received;
      lost_ = !link_.socket.Connected();
    }
    return Decode(address, std::span(answer).first(n));
  }

  static std::optional<std::uint16_t> Decode(int address, std::span<const std::uint8_t> answer) {
    const auto n = answer.size();
    if (n <= modbus::kRtuOverhead || Crc16Check(answer, static_cast<std::uint8_t>(n)) != 0) return std::nullopt;
    if (answer[0] != address) return std::nullopt;
    std::array<std::uint8_t, kCurrentDataSize> area{};
    const Request request{modbus::kReadInputRegisters, kRequestData, kAnswerBytes};
    const int pduLength = static_cast<int>(n - modbus::kRtuOverhead);
    if (!CheckResponse(request, answer.subspan(1), pduLength, area)) return std::nullopt;
    return DecodeCurrentData(area).SerialNumber;
  }

  Link& link_;
  const ScanPlan& plan_;
  ScanListener& listener_;
  ReadStop stop_;
  ScanResult result_;
  std::set<int> answered_;
  int done_ = 0;
  long long leftMs_ = 0;
  bool lost_ = false;
};

}  // namespace

std::vector<ScanLine> ScanLines(const ScanPlan& plan) {
  std::vector<int> baudrates = plan.baudrates;
  const auto usual = std::find(baudrates.begin(), baudrates.end(), kUsualBaudrate);
  if (usual != baudrates.end()) std::rotate(baudrates.begin(), usual, usual + 1);
  std::vector<ScanLine> lines;
  for (const Parity parity : plan.parities) {
    for (const int baudrate : baudrates) lines.push_back({baudrate, parity});
  }
  return lines;
}

int WireTimeMs(int bytes, const ScanLine& line) {
  const long long bits = static_cast<long long>(bytes) * (line.parity == Parity::None ? 10 : 11);
  return static_cast<int>((bits * 1000 + line.baudrate - 1) / std::max(line.baudrate, 1));
}

ScanResult ScanMeters(Link& link, const ScanPlan& plan, ScanListener& listener) {
  return Scanner(link, plan, listener).Run();
}

std::string LineText(const ScanLine& line) {
  return std::to_string(line.baudrate) + " 8" + ParityLetter(line.parity) + "1";
}

std::string FindText(const ScanFind& find) {
  std::string text = "адрес " + std::to_string(find.address);
  if (find.lineKnown) text += ", " + LineText(find.line);
  return text + ", зав. номер " + std::to_string(find.serialNumber);
}

}  // namespace kamt
