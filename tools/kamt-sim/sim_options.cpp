#include "sim_options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "meter_plan.h"

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

// "I:MODE": meter I (counted from 0) gets the fault MODE of its own.
bool AddFleetFault(SimOptions& o, const std::string& v) {
  const std::size_t colon = v.find(':');
  const auto index = Number(v.substr(0, colon), 1'000'000);
  const auto f = colon == std::string::npos ? std::nullopt : ParseFault(v.substr(colon + 1));
  if (index && f) o.fleetFaults.emplace_back(static_cast<unsigned>(*index), *f);
  return index && f;
}

// A comma-separated list of numbers from min to max, appended to `into`.
template <typename T>
bool AddList(std::vector<T>& into, const std::string& v, std::uint64_t min, std::uint64_t max) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = v.find(',', from);
    const auto n = Number(v.substr(from, comma == std::string::npos ? std::string::npos : comma - from), max);
    if (!n || *n < min) return false;
    into.push_back(static_cast<T>(*n));
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

// "YYYY-MM-DD HH:MM:SS" on the meters' wall clock.
bool SetStart(SimOptions& o, const std::string& v) {
  CivilTime t;
  char dash1 = 0, dash2 = 0, blank = 0, colon1 = 0, colon2 = 0;
  int consumed = 0;
  const int fields = std::sscanf(v.c_str(), "%4d%c%2u%c%2u%c%2u%c%2u%c%2u%n", &t.year, &dash1, &t.month, &dash2, &t.day,
                                 &blank, &t.hour, &colon1, &t.minute, &colon2, &t.second, &consumed);
  const bool shaped = fields == 11 && static_cast<std::size_t>(consumed) == v.size() && dash1 == '-' &&
                      dash2 == '-' && blank == ' ' && colon1 == ':' && colon2 == ':';
  if (!shaped || !IsValidCivil(t)) return false;
  o.start = FromCivil(t) * 1000;
  return true;
}

bool SetTimeScale(SimOptions& o, const std::string& v) {
  char* end = nullptr;
  const double k = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || !(k > 0 && k <= 1e9)) return false;
  o.timeScale = k;
  return true;
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
      {"--address", [](SimOptions& o, const std::string& v) {
         return v.find(',') == std::string::npos && AddList(o.addresses, v, 1, 255);
       }},
      {"--addresses", [](SimOptions& o, const std::string& v) { return AddList(o.addresses, v, 1, 255); }},
      {"--serial-numbers", [](SimOptions& o, const std::string& v) { return AddList(o.serialNumbers, v, 0, 65535); }},
      {"--fleet", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, kMaxFleet);
         if (n) o.fleet = static_cast<unsigned>(*n);
         return n && *n > 0;
       }},
      {"--rtu-tcp", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 65535);
         if (n) o.rtuTcpPort = static_cast<std::uint16_t>(*n);
         return n.has_value();
       }},
      {"--tcp-unit", [](SimOptions& o, const std::string& v) {
         o.tcpUnitIsAddress = v == "address";
         return v == "address" || v == "any";
       }},
      {"--line", [](SimOptions& o, const std::string& v) {
         o.line = ParseLineSetting(v);
         return o.line.has_value();
       }},
      {"--start", SetStart},
      {"--time-scale", SetTimeScale},
      {"--answer-delay", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 10'000'000);
         if (n) o.answerDelayMs = static_cast<int>(*n);
         return n.has_value();
       }},
      {"--fleet-fault", AddFleetFault},
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
      {"--fault-skip", [](SimOptions& o, const std::string& v) {
         const auto n = Number(v, 1'000'000'000);
         if (n) o.faultSkip = static_cast<unsigned>(*n);
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
      {"--connect-ok", [](SimOptions& o, const std::string& v) { o.modemConfig.connectOk.push_back(v); return true; }},
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
  if (o.help) return {o, {}};
  if (!o.serial && !o.tcpPort && !o.rtuTcpPort) return Fail("kamt-sim: --no-serial needs --tcp or --rtu-tcp PORT");
  std::string error;
  if (!PlanMeters(o, error)) return Fail("kamt-sim: " + error);
  return {o, {}};
}

}  // namespace kamt::sim
