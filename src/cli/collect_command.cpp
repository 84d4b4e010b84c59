#include <algorithm>
#include <atomic>
#include <charconv>

#include "cli/fleet_options.h"
#include "cli/kamt_cli.h"
#include "fleet/collect_service.h"
#include "fleet/collector.h"
#include "fleet/database_address.h"
#include "fleet/fleet_file.h"
#include "fleet/fleet_platform.h"
#include "fleet/schedule.h"
#include "fleet/store.h"
#include "fleet/worker_pool.h"
#include "link/clock.h"
#include "meter/meter_clock.h"
#include "meter/meter_clock_calendar.h"
#include "text/text_file.h"

namespace kamt {
namespace {

constexpr int kDefaultConcurrency = 32;
constexpr int kDefaultLeaseS = 300;

std::atomic<bool> collectionRunning = false;
std::atomic<bool> stopAsked = false;

// Marks the collection under way for the signal handlers.
struct Collecting {
  Collecting() {
    stopAsked = false;
    collectionRunning = true;
  }
  ~Collecting() { collectionRunning = false; }
};

std::string ReportLine(const PollReport& r) {
  std::string line = r.name;
  if (r.serialNumber) line += " (serial " + std::to_string(*r.serialNumber) + ")";
  line += ": " + r.outcome + ", " + std::to_string(r.stored) + (r.stored == 1 ? " record" : " records") + " stored";
  if (r.clockSetBack > 0) line += " (" + std::to_string(r.clockSetBack) + " with a time stored before: clock set back)";
  line += ", " + std::to_string(r.requests) + " requests";
  if (r.failedAttempts > 0) line += ", " + std::to_string(r.failedAttempts) + " failed";
  if (r.clockOffsetS) line += ", clock " + std::string(*r.clockOffsetS >= 0 ? "+" : "") + std::to_string(*r.clockOffsetS) + " s";
  if (!r.message.empty()) line += ": " + r.message;
  if (!r.note.empty()) line += "\n" + r.name + ": " + r.note;
  return line;
}

class CollectRun {
 public:
  CollectRun(CliDevices& devices, std::ostream& out, std::ostream& err) : devices_(devices), out_(out), err_(err) {}

  int Run(const std::vector<std::string>& args) {
    const FleetArgs a =
        ParseFleetArgs(args, {"--db", "--concurrency", "--site", "--lease", "--round"}, {"--once"});
    if (const std::string why = Usage(a); !why.empty()) {
      err_ << "kamt collect: " << why << " (see kamt --help)\n";
      return kExitUsage;
    }
    const std::string fleetPath = a.words[0];
    const std::optional<std::string> text = ReadFileBytes(fleetPath);
    if (!text) {
      err_ << "kamt collect: cannot read the fleet file " << fleetPath << '\n';
      return kExitFailed;
    }
    FleetFile fleet = ParseFleetText(*text, fleetPath);
    for (const std::string& error : fleet.errors) err_ << error << '\n';
    if (const auto site = a.Value("--site")) {
      std::erase_if(fleet.meters, [&](const FleetMeter& m) { return m.site != *site; });
    }
    const std::string db = a.Value("--db").value_or(DefaultDatabasePath(fleetPath));
    const bool once = a.flags.contains("--once");
    if (const int opened = OpenDatabase(db, once); opened != kExitOk) return opened;
    const auto pool = devices_.fleet->MakePool(db, concurrency_);
    options_ = Options(a);
    const Collecting collecting;
    const int status = once ? Once(fleet.meters, *pool) : Service(fleet.meters, *pool);
    ReleaseClaims(db);
    return status == kExitOk && !fleet.errors.empty() ? kExitFailed : status;
  }

 private:
  std::string Usage(const FleetArgs& a) {
    if (!a.error.empty()) return a.error;
    if (a.words.size() != 1) return "give one fleet file";
    if (const auto c = a.Value("--concurrency")) {
      const auto [end, ec] = std::from_chars(c->data(), c->data() + c->size(), concurrency_);
      if (ec != std::errc() || end != c->data() + c->size() || concurrency_ < 1 || concurrency_ > 1024) {
        return "--concurrency takes a whole number from 1 to 1024";
      }
    }
    if (const auto l = a.Value("--lease")) {
      const auto [end, ec] = std::from_chars(l->data(), l->data() + l->size(), leaseS_);
      if (ec != std::errc() || end != l->data() + l->size() || leaseS_ < 1 || leaseS_ > 86400) {
        return "--lease takes seconds, a whole number from 1 to 86400";
      }
    }
    if (const auto r = a.Value("--round"); r && r->empty()) return "--round takes a name";
    // The service names each of its rounds by its schedule.
    if (a.Value("--round") && !a.flags.contains("--once")) return "--round goes with --once";
    if (const auto db = a.Value("--db")) {
      const DatabaseAddress address = ParseDatabaseAddress(*db);
      if (!address.error.empty()) return "--db " + address.Shown() + ": " + address.error;
    }
    return {};
  }

  // The database for this collector alone (a file) or shared (a server's), its schema made or
  // upgraded before any meter is asked anything. A server that cannot be reached ends a single
  // round; the service says so and tries again until it can.
  int OpenDatabase(const std::string& db, bool once) {
    std::string holder;
    if (!devices_.fleet->LockDatabase(db, holder)) {
      err_ << "kamt collect: the database " << db << " is in use by another collector (" << holder << ")\n";
      return kExitDatabase;
    }
    for (;;) {
      try {
        devices_.fleet->OpenStore(db);
        return kExitOk;
      } catch (const StoreError& e) {
        err_ << "kamt collect: " << e.what();
        if (!e.Unreachable()) {
          err_ << '\n';
          return kExitDatabase;
        }
        if (once) {
          err_ << "\n";
          return kExitUnreachable;
        }
        err_ << "; trying again in " << kReconnectPauseMs / 1000 << " s\n" << std::flush;
        devices_.clock.Sleep(kReconnectPauseMs);
      }
    }
  }

  // Claims left by a stop or a lost server go to the other collectors now, not after the lease.
  void ReleaseClaims(const std::string& db) {
    try {
      devices_.fleet->OpenStore(db)->ReleaseClaims(options_.collector);
    } catch (const StoreError&) {
      // The server is gone: the leases run out by themselves.
    }
  }

  CollectOptions Options(const FleetArgs& a) {
    CollectOptions options;
    options.stop = &stopAsked;
    options.onReport = [this](const PollReport& r) { err_ << ReportLine(r) << '\n' << std::flush; };
    options.collector = devices_.fleet->CollectorName();
    options.site = a.Value("--site").value_or("");
    options.leaseS = leaseS_;
    options.round = a.Value("--round").value_or(RoundName(CurrentSlot(WallSeconds(SystemLocalTime()).value_or(0))));
    return options;
  }

  int Once(const std::vector<FleetMeter>& meters, WorkerPool& pool) {
    const CollectSummary summary = Collect(meters, pool, options_);
    out_ << "meters polled: " << summary.reports.size() << ", failed: " << summary.Failed()
         << ", records stored: " << summary.Stored();
    if (summary.polledByOthers > 0) out_ << ", polled by other collectors: " << summary.polledByOthers;
    out_ << '\n';
    if (!summary.storeError.empty()) {
      err_ << "kamt collect: " << summary.storeError << '\n';
      if (summary.unreachable) {
        err_ << "kamt collect: what was stored is kept; the next run reads the rest\n";
        return kExitUnreachable;
      }
      return kExitDatabase;
    }
    if (stopAsked) err_ << "kamt collect: stopped; what was read is stored\n";
    return summary.Failed() > 0 ? kExitFailed : kExitOk;
  }

  int Service(const std::vector<FleetMeter>& meters, WorkerPool& pool) {
    const CollectOptions& options = options_;
    Clock& clock = devices_.clock;
    const ServiceTime time{[] { return WallSeconds(SystemLocalTime()).value_or(0); },
                           [&clock](int ms) { clock.Sleep(ms); }};
    const std::string error = RunCollectService(meters, pool, options, time, [this](const std::string& line) {
      err_ << line << '\n' << std::flush;
    });
    if (!error.empty()) {
      err_ << "kamt collect: " << error << '\n';
      return kExitDatabase;
    }
    err_ << "kamt collect: stopped; what was read is stored\n";
    return kExitOk;
  }

  CliDevices& devices_;
  std::ostream& out_;
  std::ostream& err_;
  int concurrency_ = kDefaultConcurrency;
  int leaseS_ = kDefaultLeaseS;
  CollectOptions options_;
};

}  // namespace

bool RequestCollectStop() noexcept {
  if (!collectionRunning) return false;
  stopAsked = true;
  return true;
}

int RunCollect(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err) {
  if (!devices.fleet) {
    err << "kamt collect: this build has no database support\n";
    return kExitDatabase;
  }
  return CollectRun(devices, out, err).Run(args);
}

}  // namespace kamt
