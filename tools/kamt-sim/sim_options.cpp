#include "sim_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace kamt::sim {

namespace {
using Setter = std::function<bool(SimOptions&, const std::string&)>;

std::optional<std::uint64_t> Number(const std::string& s, std::uint64_t max, int base = 10) {
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || v > max) return std::nullopt;
  return v;
}

template <typename T>
Setter Store(T SimOptions::*field, std::uint64_t max) {
  return [field, max](SimOptions& o, const std::string& v) {
    const auto n = Number(v, max);
    if (n) o.*field = static_cast<T>(*n);
    return n.has_value();
  };
}

template <typename T>
Setter StoreMeter(T MeterSettings::*field, std::uint64_t min, std::uint64_t max) {
  return [field, min, max](SimOptions& o, const std::string& v) {
    const auto n = Number(v, max);
    if (n && *n >= min) o.meter.*field = static_cast<T>(*n);
    return n && *n >= min;
  };
}

bool SetStatus(SimOptions& o, const std::string& v) {
  const std::string digits = v.starts_with("0x") || v.starts_with("0X") ? v.substr(2) : v;
  const auto n = Number(digits, 0xFFFFFFFF, 16);
  if (n) o.meter.status = static_cast<std::uint32_t>(*n);
  return n.has_value();
}

bool AddFault(SimOptions& o, const std::string& v) {
  const auto f = ParseFault(v);
  if (f) o.faults.push_back(*f);
  return f.has_value();
}

const std::map<std::string, Setter>& ValueOptions() {
  static const std::map<std::string, Setter> options = {
      {"--link", [](SimOptions& o, const std::string& v) { o.link = v; return !v.empty(); }},
      {"--tcp", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 65535);
         if (n) o.tcpPort = static_cast<std::uint16_t>(*n);
         if (n && *n != 0) o.meter.tcpPort = static_cast<std::uint16_t>(*n);
         return n.has_value();
       }},
      {"--address", StoreMeter(&MeterSettings::address, 1, 255)},
      {"--baud", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 10'000'000);
         if (n && *n > 0) o.baud = o.meter.baud = static_cast<std::uint32_t>(*n);
         return n && *n > 0;
       }},
      {"--serial-number", StoreMeter(&MeterSettings::serialNumber, 0, 65535)},
      {"--hour-records", StoreMeter(&MeterSettings::hourRecords, 0, 65535)},
      {"--day-records", StoreMeter(&MeterSettings::dayRecords, 0, 65535)},
      {"--month-records", StoreMeter(&MeterSettings::monthRecords, 0, 65535)},
      {"--sensor-type", StoreMeter(&MeterSettings::sensorType, 0, 65535)},
      {"--plus-decimals", StoreMeter(&MeterSettings::plusDecimals, 0, 65535)},
      {"--minus-decimals", StoreMeter(&MeterSettings::minusDecimals, 0, 65535)},
      {"--status", SetStatus},
      {"--fault", AddFault},
      {"--fault-times", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 1'000'000'000);
         if (n) o.faultTimes = static_cast<unsigned>(*n);
         return n.has_value();
       }},
      {"--archive-fault", [](SimOptions& o, const std::string& v) {
         const auto f = ParseArchiveFailure(v);
         if (f) o.archiveFailure = *f;
         return f.has_value();
       }},
      {"--modem-echo", [](SimOptions& o, const std::string& v) {
         o.modemConfig.echo = v == "on";
         return v == "on" || v == "off";
       }},
      {"--dial-delay", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 3'600'000);
         if (n) o.modemConfig.dialDelayMs = static_cast<Millis>(*n);
         return n.has_value();
       }},
      {"--guard-ms", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 60'000);
         if (n) o.modemConfig.guardMs = static_cast<Millis>(*n);
         return n.has_value();
       }},
      {"--busy", [](SimOptions& o, const std::string& v) { o.modemConfig.busy.push_back(v); return true; }},
      {"--no-carrier", [](SimOptions& o, const std::string& v) { o.modemConfig.noCarrier.push_back(v); return true; }},
      {"--no-dialtone", [](SimOptions& o, const std::string& v) { o.modemConfig.noDialtone.push_back(v); return true; }},
      {"--exit-after-ms", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 1'000'000'000'000);
         if (n) o.exitAfterMs = static_cast<std::int64_t>(*n);
         return n.has_value();
       }},
  };
  return options;
}

const std::map<std::string, std::function<void(SimOptions&)>>& Flags() {
  static const std::map<std::string, std::function<void(SimOptions&)>> flags = {
      {"--help", [](SimOptions& o) { o.help = true; }},
      {"-h", [](SimOptions& o) { o.help = true; }},
      {"--no-serial", [](SimOptions& o) { o.serial = false; }},
      {"--modem", [](SimOptions& o) { o.modem = true; }},
      {"--modem-silent", [](SimOptions& o) { o.modemConfig.silent = true; }},
      {"--verbose", [](SimOptions& o) { o.verbose = true; }},
  };
  return flags;
}

ParsedCommandLine Fail(std::string message) { return {std::nullopt, std::move(message)}; }
}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  SimOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (const auto flag = Flags().find(name); flag != Flags().end() && !value) {
      flag->second(o);
      continue;
    }
    const auto option = ValueOptions().find(name);
    if (option == ValueOptions().end()) return Fail("kamt-sim: unknown option " + args[i]);
    if (!value) {
      if (i + 1 == args.size()) return Fail("kamt-sim: " + name + " needs a value");
      value = args[++i];
    }
    if (!option->second(o, *value)) return Fail("kamt-sim: bad value for " + name + ": " + *value);
  }
  if (!o.help && !o.serial && !o.tcpPort) return Fail("kamt-sim: --no-serial needs --tcp PORT");
  return {o, {}};
}

}  // namespace kamt::sim
