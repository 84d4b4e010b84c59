#include "fleet/fleet_file.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "text/cp1251.h"
#include "text/text_lines.h"

namespace kamt {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A spreadsheet's cells are split by ';' or TAB; one that holds a separator or a quote comes in
// quotes, with its quotes doubled.
std::vector<std::string> SpreadsheetCells(std::string_view line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      cells.back() += c;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ';' || c == '\t')) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

std::vector<std::string> Cells(std::string_view line) {
  const bool spreadsheet = line.find_first_of(";\t") != std::string_view::npos;
  std::vector<std::string> cells;
  for (const std::string& cell : spreadsheet ? SpreadsheetCells(line) : std::vector<std::string>{}) {
    if (const std::string_view trimmed = Trim(cell); !trimmed.empty()) cells.emplace_back(trimmed);
  }
  for (std::size_t start = 0; !spreadsheet && start <= line.size();) {
    std::size_t end = line.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = line.size();
    if (end > start) cells.emplace_back(line.substr(start, end - start));
    start = end + 1;
  }
  return cells;
}

std::optional<int> Number(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// "HOST[:PORT]"; false when either is not usable.
bool HostPort(std::string_view text, FleetMeter& m, bool portRequired) {
  const auto colon = text.rfind(':');
  m.host = std::string(text.substr(0, colon));
  if (colon != std::string_view::npos) {
    const auto port = Number(text.substr(colon + 1), 1, 65535);
    if (!port) return false;
    m.port = *port;
  } else if (portRequired) {
    return false;
  }
  return !m.host.empty() && m.host.find_first_of(" /") == std::string::npos;
}

// "8N1", "7E2", "8O1.5": data bits, parity, stop bits, as the connection dialog offers them.
bool LineSetting(std::string_view text, FleetMeter& m) {
  static const std::string_view kParity = "EONMS";  // the dialog's order: even, odd, none, mark, space
  if (text.size() < 3 || text[0] < '5' || text[0] > '8') return false;
  const auto parity = kParity.find(static_cast<char>(std::toupper(static_cast<unsigned char>(text[1]))));
  const std::string_view stop = text.substr(2);
  if (parity == std::string_view::npos || (stop != "1" && stop != "1.5" && stop != "2")) return false;
  m.bitsCode = text[0] - '5';
  m.parityCode = static_cast<int>(parity);
  m.stopBitsCode = stop == "1" ? 0 : stop == "1.5" ? 1 : 2;
  return true;
}

bool Archives(std::string_view text, FleetMeter& m) {
  m.archives = {false, false, false};
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = Trim(text.substr(start, end - start));
    if (word == "hourly") m.archives[0] = true;
    else if (word == "daily") m.archives[1] = true;
    else if (word == "monthly") m.archives[2] = true;
    else return false;
    start = end + 1;
  }
  return true;
}

// Which connection each setting belongs to; empty for those every meter may have.
const std::map<std::string, std::string, std::less<>> kSettingOwner = {
    {"tcp", ""},           {"rtu-tcp", ""},          {"serial", ""},          {"unit", "tcp"},
    {"address", "bus"},    {"baud", "serial"},       {"line", "serial"},      {"delay", "bus"},   
    {"modem", "serial"},   {"archives", ""},         {"depth", ""},           {"site", ""}};

class LineReader {
 public:
  LineReader(int number, FleetMeter& m) : m_(m) { m_.lineNumber = number; }

  // An empty text when the line was read, else why not.
  std::string Read(const std::vector<std::string>& cells) {
    if (cells[0].find('=') != std::string::npos) return "the line starts with a setting, not the meter's name";
    m_.name = cells[0];
    std::set<std::string, std::less<>> seen;
    for (std::size_t i = 1; i < cells.size(); ++i) {
      const auto eq = cells[i].find('=');
      const std::string key = cells[i].substr(0, eq);
      if (eq == std::string::npos) return "\"" + cells[i] + "\" is not KEY=VALUE";
      if (!kSettingOwner.contains(key)) return "unknown setting \"" + key + "\"";
      if (!seen.insert(key).second) return key + "= is given twice";
      if (std::string why = Setting(key, std::string_view(cells[i]).substr(eq + 1)); !why.empty()) return why;
    }
    return Check(seen);
  }

 private:
  std::string Setting(const std::string& key, std::string_view v) {
    const auto bad = [&](std::string_view what) { return key + "=" + std::string(v) + ": " + std::string(what); };
    if (key == "tcp" || key == "rtu-tcp") {
      Connection(key == "tcp" ? LineKind::Tcp : LineKind::RtuTcp);
      return HostPort(v, m_, key == "rtu-tcp") ? "" : bad(key == "tcp" ? "not HOST[:PORT]" : "not HOST:PORT");
    }
    if (key == "serial") {
      Connection(LineKind::Serial);
      m_.device = v;
      return v.empty() ? bad("no device") : "";
    }
    if (key == "line") return LineSetting(v, m_) ? "" : bad("not data bits, parity and stop bits, such as 8N1");
    if (key == "archives") return Archives(v, m_) ? "" : bad("a list of hourly, daily, monthly");
    if (key == "modem" || key == "site") {
      (key == "modem" ? m_.modemNumber : m_.site) = v;
      return v.empty() && key == "modem" ? bad("no number") : "";
    }
    const auto range = [&](int low, int high, int& to) {
      const auto n = Number(v, low, high);
      if (n) to = *n;
      return n ? std::string() : bad("a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    };
    if (key == "unit") return range(0, 255, m_.unit);
    if (key == "address") return range(1, 255, m_.address);
    if (key == "baud") return range(1, 4000000, m_.baud);
    if (key == "delay") return range(0, 60000, m_.delayMs);
    int depth = 0;
    std::string why = range(1, 65535, depth);
    if (why.empty()) m_.depth = depth;
    return why;
  }

  void Connection(LineKind kind) {
    ++connections_;
    m_.kind = kind;
  }

  std::string Check(const std::set<std::string, std::less<>>& seen) {
    if (connections_ != 1) return "give one connection: tcp=HOST[:PORT], rtu-tcp=HOST:PORT or serial=DEVICE";
    for (const std::string& key : seen) {
      const std::string& owner = kSettingOwner.at(key);
      const bool fits = owner.empty() || (owner == "tcp" && m_.kind == LineKind::Tcp) ||
                        (owner == "serial" && m_.kind == LineKind::Serial) ||
                        (owner == "bus" && m_.kind != LineKind::Tcp);
      if (!fits) return key + "= does not go with this connection";
    }
    return {};
  }

  FleetMeter& m_;
  int connections_ = 0;
};

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

std::string FleetMeter::LineKey() const {
  switch (kind) {
    case LineKind::Tcp: return "tcp " + host + ":" + std::to_string(port);
    case LineKind::RtuTcp: return "rtu-tcp " + host + ":" + std::to_string(port);
    case LineKind::Serial: return "serial " + device;
  }
  return {};
}

// Only a pause other than the default is named: the connection texts stored before stay as
// they were.
std::string FleetMeter::Delay() const { return delayMs == 100 ? "" : " delay=" + std::to_string(delayMs); }

std::string FleetMeter::Connection() const {
  switch (kind) {
    case LineKind::Tcp: return "tcp=" + host + ":" + std::to_string(port) + " unit=" + std::to_string(unit);
    case LineKind::RtuTcp:
      return "rtu-tcp=" + host + ":" + std::to_string(port) + " address=" + std::to_string(address) + Delay();
    case LineKind::Serial: break;
  }
  static const char* const kParity[] = {"E", "O", "N", "M", "S"};
  static const char* const kStop[] = {"1", "1.5", "2"};
  std::string text = "serial=" + device + " baud=" + std::to_string(baud) + " line=" + std::to_string(bitsCode + 5) +
                     kParity[parityCode] + kStop[stopBitsCode] + " address=" + std::to_string(address) + Delay();
  return modemNumber.empty() ? text : text + " modem=" + modemNumber;
}

FleetFile ParseFleetText(std::string_view text, std::string_view fileName) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  // A spreadsheet on the users' systems saves its text in Windows-1251.
  const std::string utf8 = IsUtf8(text) ? std::string(text) : Cp1251ToUtf8(text);
  FleetFile fleet;
  std::map<std::string, int> names;
  const std::vector<std::string> lines = SplitLines(utf8);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    line = line.substr(0, line.find('#'));
    const std::vector<std::string> cells = Cells(line);
    if (cells.empty()) continue;
    FleetMeter meter;
    const int number = static_cast<int>(i + 1);
    std::string why = LineReader(number, meter).Read(cells);
    if (why.empty() && names.contains(meter.name)) {
      why = "the name \"" + meter.name + "\" is already used on line " + std::to_string(names[meter.name]);
    }
    if (!why.empty()) {
      fleet.errors.push_back(std::string(fileName) + ":" + std::to_string(number) + ": " + why);
      continue;
    }
    names[meter.name] = number;
    fleet.meters.push_back(std::move(meter));
  }
  return fleet;
}

FleetFile ParseStoredConnection(const std::string& name, const std::string& connection) {
  // As a spreadsheet's cells, so that a name or a modem number with blanks stays whole; the
  // modem comes last, and no other value has a blank.
  std::string line = "\"";
  for (const char c : name) line += c == '"' ? std::string("\"\"") : std::string(1, c);
  line += "\"";
  const std::size_t modem = connection.find(" modem=");
  std::string cells = connection.substr(0, modem);
  for (char& c : cells) c = c == ' ' ? ';' : c;
  line += ";" + cells;
  if (modem != std::string::npos) line += ";\"" + connection.substr(modem + 1) + "\"";
  return ParseFleetText(line, "database");
}

}  // namespace kamt
