#include <charconv>
#include <map>

#include "cli/cli_command.h"
#include "cli/cli_json.h"
#include "cli/console_window.h"
#include "meter/meter_scan.h"
#include "meter/session.h"

namespace kamt {
namespace {

std::optional<int> Number(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

std::vector<std::string_view> Split(std::string_view list) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0; at <= list.size();) {
    const auto comma = std::min(list.find(',', at), list.size());
    parts.push_back(list.substr(at, comma - at));
    at = comma + 1;
  }
  return parts;
}

const std::map<std::string_view, Parity> kParities = {
    {"none", Parity::None}, {"even", Parity::Even}, {"odd", Parity::Odd}, {"mark", Parity::Mark}, {"space", Parity::Space}};

// "1-247", or one address.
std::string Addresses(std::string_view text, ScanPlan& plan) {
  const auto dash = text.find('-');
  const auto first = Number(text.substr(0, dash), 1, 255);
  const auto last = dash == std::string_view::npos ? first : Number(text.substr(dash + 1), 1, 255);
  if (!first || !last || *first > *last) return "--addresses takes A-B (or A), addresses 1 to 255, A not above B";
  plan.firstAddress = *first;
  plan.lastAddress = *last;
  return {};
}

std::string Bauds(std::string_view text, ScanPlan& plan) {
  plan.baudrates.clear();
  for (const std::string_view part : Split(text)) {
    const auto baud = Number(part, 50, 4000000);
    if (!baud) return "--bauds takes bit rates parted by commas, such as 9600,19200";
    plan.baudrates.push_back(*baud);
  }
  return {};
}

std::string Parities(std::string_view text, ScanPlan& plan) {
  plan.parities.clear();
  for (const std::string_view part : Split(text)) {
    const auto it = kParities.find(part);
    if (it == kParities.end()) return "--parities takes none, even, odd, mark or space, parted by commas";
    plan.parities.push_back(it->second);
  }
  return {};
}

struct ScanArgs {
  ScanPlan plan;
  bool lineGiven = false;  // --bauds or --parities
};

std::string Parse(const std::vector<std::string>& args, ScanArgs& a) {
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) return "scan " + name + " needs a value";
    const std::string& value = args[i + 1];
    std::string error;
    if (name == "--addresses") {
      error = Addresses(value, a.plan);
    } else if (name == "--bauds") {
      error = Bauds(value, a.plan);
      a.lineGiven = true;
    } else if (name == "--parities") {
      error = Parities(value, a.plan);
      a.lineGiven = true;
    } else if (name == "--window") {
      const auto ms = Number(value, 1, 10000);
      if (!ms) error = "--window takes milliseconds from 1 to 10000";
      a.plan.windowMs = ms.value_or(a.plan.windowMs);
    } else {
      error = "scan takes --addresses, --bauds, --parities and --window, not " + name;
    }
    if (!error.empty()) return error;
  }
  return {};
}

std::string Minutes(long long ms) {
  const long long s = (std::max(ms, 0LL) + 999) / 1000;
  const std::string seconds = std::to_string(s % 60);
  return std::to_string(s / 60) + ":" + (seconds.size() < 2 ? "0" : "") + seconds;
}

// Progress on stderr, rewritten in place; each meter found on stdout as it answers (the
// plain output), so a long search shows its results at once. Ctrl+C stops it.
class ConsoleScan : public ScanListener {
 public:
  explicit ConsoleScan(CliContext& c) : c_(c) {
    c_.window.SetInterruptHandler([this] { stopped_ = true; });
  }
  ~ConsoleScan() override {
    c_.window.SetInterruptHandler(nullptr);
    if (shown_) c_.err << '\n';
  }
  ConsoleScan(const ConsoleScan&) = delete;
  ConsoleScan& operator=(const ConsoleScan&) = delete;

  void Progress(int done, int total, long long leftMs) override {
    c_.err << "\r" << done << "/" << total << ", осталось " << Minutes(leftMs) << "   " << std::flush;
    shown_ = true;
  }
  void Found(const ScanFind& find) override {
    if (c_.json) return;
    if (shown_) c_.err << '\n';
    shown_ = false;
    c_.out << FindText(find) << '\n' << std::flush;
  }
  void LineRefused(const ScanLine& line, const std::vector<std::string>& refused) override {
    if (shown_) c_.err << '\n';
    shown_ = false;
    c_.err << "kamt: the device did not accept " << LineText(line) << " (" << refused.front()
           << "); its addresses were not tried\n";
  }
  bool Stopped() override {
    c_.window.ProcessEvents();
    return stopped_;
  }

 private:
  CliContext& c_;
  bool stopped_ = false;
  bool shown_ = false;
};

}  // namespace

std::string CheckScanArgs(const std::vector<std::string>& args) {
  ScanArgs a;
  return Parse(args, a);
}

bool RunScanCommand(CliContext& c) {
  ScanArgs a;
  Parse(c.args, a);
  const Link& link = c.session.link;
  if (!link.UsesSerialRules()) {
    c.err << "kamt: scan needs the serial line (--serial DEVICE) or a converter (--rtu-tcp HOST:PORT)\n";
    return false;
  }
  if (!link.IsSerial() && a.lineGiven) {
    c.err << "kamt: a converter's line is set in the converter: scan tries the addresses only; drop --bauds and "
             "--parities\n";
    return false;
  }
  ScanResult result;
  {
    ConsoleScan listener(c);
    result = ScanMeters(c.session.link, a.plan, listener);
  }
  if (result.stopped) c.err << "kamt: stopped after " << result.attempts << " of " << result.total << " attempts\n";
  if (result.connectionLost) c.err << "kamt: the line or the connection was lost\n";
  if (c.json) {
    c.out << ScanJson(result);
  } else {
    c.out << "Найдено приборов: " << result.found.size() << '\n';
  }
  return !result.found.empty();
}

}  // namespace kamt
