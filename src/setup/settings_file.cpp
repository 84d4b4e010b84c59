#include "setup/settings_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <system_error>

#include "setup/ini_document.h"
#include "text/cp1251.h"
#include "text/text_file.h"

namespace kamt {
namespace {

constexpr const char* kFileName = "Vedan_modbus.ini";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string RangeText(int low, int high) {
  return high == INT_MAX ? "below " + std::to_string(low)
                         : "outside " + std::to_string(low) + ".." + std::to_string(high);
}

struct Reader {
  const IniDocument& ini;
  const std::filesystem::path& path;
  std::vector<std::string>& warnings;
  int Integer(const char* section, const char* key, int fallback) const {
    const auto value = ini.Value(section, key);
    return value ? ReadSettingsInteger(*value, fallback) : fallback;
  }
  // A number outside [low, high] is as good as none.
  int Integer(const char* section, const char* key, int fallback, int low, int high) const {
    const int value = Integer(section, key, fallback);
    if (value >= low && value <= high) return value;
    warnings.push_back(path.string() + ": [" + section + "] " + key + "=" + ini.Value(section, key).value_or("") +
                       " is " + RangeText(low, high) + ": taken as not set (" + std::to_string(fallback) + ")");
    return fallback;
  }
  bool Boolean(const char* section, const char* key, bool fallback) const {
    return Integer(section, key, fallback ? 1 : 0) != 0;
  }
  std::string Text(const char* section, const char* key, const char* fallback) const {
    return ini.Value(section, key).value_or(fallback);
  }
};

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The keys a described program does not know. It ignores them and finds a valid Ethernet
// choice (Type=1, the converter's or gateway's IP_Addr and Port) where they say more.
constexpr const char* kFramingKey = "Framing";  // MBAP (Modbus TCP) or RTU (a converter)
constexpr const char* kUnitIdKey = "UnitId";    // 0..255, or "address" for a gateway

void LoadEthernetExtras(const IniDocument& ini, LinkSettingsRecord& s) {
  const std::string framing = ini.Value("Ethernet", kFramingKey).value_or("");
  s.Framing = SameWord(TrimBlanks(framing), "RTU") ? EthernetFraming::Rtu : EthernetFraming::Mbap;
  const std::string unit = ini.Value("Ethernet", kUnitIdKey).value_or("");
  s.UnitIdIsAddress = SameWord(TrimBlanks(unit), "address");
  const int id = ReadSettingsInteger(unit, 0xFF);
  s.UnitId = s.UnitIdIsAddress || id < 0 || id > 0xFF ? 0xFF : id;
}

// Written only where they say something, or where the file has them already: a described
// program's file comes back byte for byte.
void SaveEthernetExtras(IniDocument& ini, const LinkSettingsRecord& s) {
  const bool rtu = s.Framing == EthernetFraming::Rtu;
  if (rtu || ini.Value("Ethernet", kFramingKey)) ini.Set("Ethernet", kFramingKey, rtu ? "RTU" : "MBAP");
  const std::string unit = s.UnitIdIsAddress ? "address" : std::to_string(s.UnitId);
  if (unit != "255" || ini.Value("Ethernet", kUnitIdKey)) ini.Set("Ethernet", kUnitIdKey, unit);
}

}  // namespace

std::filesystem::path DefaultSettingsPath() {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path(kFileName) : dir / kFileName;
}

int ReadSettingsInteger(std::string_view text, int fallback) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return fallback;
  // Decimal must fit a 32-bit integer; hexadecimal may use all 32 bits, 0xFFFFFFFF being -1.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
  if (value > limit) return fallback;
  const auto bits = static_cast<std::uint32_t>(negative ? (~value + 1) : value);
  return static_cast<int>(bits);
}

SettingsLoad LoadSettings(LinkSettingsRecord& s, const std::filesystem::path& SettingsPath) {
  SettingsLoad load;
  const SmallFile file = ReadSmallFile(SettingsPath, kSettingsFileLimit);
  if (file.tooLarge) {
    load.refused = true;
    load.warnings.push_back(SettingsPath.string() + " is larger than " + std::to_string(kSettingsFileLimit / 1024) +
                            " KiB, which no settings file is: not read (the defaults are used), and left as it is");
  }
  const IniDocument ini = IniDocument::Parse(Cp1251ToUtf8(file.bytes.value_or("")));
  const Reader r{ini, SettingsPath, load.warnings};
  s.Type = r.Integer("Communication", "Type", 0);
  s.NetAddr = r.Integer("Communication", "NetAddr", 1, 1, 255);
  s.PortIndex = r.Integer("Serial", "Port", 0);
  s.Baudrate = r.Integer("Serial", "Baudrate", 9600, 1, INT_MAX);
  s.Bits = r.Integer("Serial", "Bits", 4);
  s.Parity = r.Integer("Serial", "Parity", 2);
  s.StopBits = r.Integer("Serial", "StopBits", 0);
  s.Delay = r.Integer("Serial", "Delay", 100, kMinDelayMs, kMaxDelayMs);
  s.Modem = r.Boolean("Serial", "Modem", false);
  s.IpAddr = r.Text("Ethernet", "IP_Addr", "192.168.0.1");
  s.TcpPort = r.Integer("Ethernet", "Port", 502, 1, 65535);
  LoadEthernetExtras(ini, s);
  return load;
}

bool SaveSettings(const LinkSettingsRecord& s, const std::filesystem::path& SettingsPath, std::string& message,
                  bool* tooLarge) {
  message.clear();
  std::error_code ec;
  const SmallFile file = ReadSmallFile(SettingsPath, kSettingsFileLimit);
  const std::optional<std::string>& existing = file.bytes;
  if (tooLarge) *tooLarge = file.tooLarge;
  // A file that is there but cannot be read (or is too large to be) must not be replaced by
  // ours alone.
  if (!existing && std::filesystem::exists(SettingsPath, ec)) {
    message = "Unable to write to " + SettingsPath.string();
    return false;
  }
  IniDocument ini = IniDocument::Parse(Cp1251ToUtf8(existing.value_or("")));
  const auto set = [&](const char* section, const char* key, const std::string& value) { ini.Set(section, key, value); };
  set("Communication", "Type", std::to_string(s.Type));
  set("Communication", "NetAddr", std::to_string(s.NetAddr));
  set("Ethernet", "IP_Addr", s.IpAddr);
  set("Ethernet", "Port", std::to_string(s.TcpPort));
  set("Serial", "Port", std::to_string(s.PortIndex));
  set("Serial", "Baudrate", std::to_string(s.Baudrate));
  set("Serial", "Bits", std::to_string(s.Bits));
  set("Serial", "Parity", std::to_string(s.Parity));
  set("Serial", "StopBits", std::to_string(s.StopBits));
  set("Serial", "Delay", std::to_string(s.Delay));
  set("Serial", "Modem", s.Modem ? "1" : "0");
  SaveEthernetExtras(ini, s);
  if (!WriteTextFile(SettingsPath, ini.Serialize())) {
    message = "Unable to write to " + SettingsPath.string();
    return false;
  }
  return true;
}

}  // namespace kamt
