#include <algorithm>
#include <filesystem>
#include <regex>

#include "cli/fleet_options.h"
#include "cli/kamt_cli.h"
#include "fleet/export_format.h"
#include "fleet/fleet_platform.h"
#include "fleet/store.h"
#include "meter/archive_file.h"
#include "meter/archive_kinds.h"
#include "text/text_file.h"

namespace kamt {
namespace {

constexpr ArchiveKind kKinds[] = {ArchiveKind::Hourly, ArchiveKind::Daily, ArchiveKind::Monthly};

// "2026-12-07", "2026-12-07 05:00", "2026-12-07T05:00:00": the bound as the database keeps
// times; a date alone is the day's start, or its end for the upper bound.
std::optional<std::string> TimeBound(const std::string& text, bool upper) {
  static const std::regex kTime(R"((\d{4}-\d{2}-\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2}))?)?)");
  std::smatch m;
  if (!std::regex_match(text, m, kTime)) return std::nullopt;
  if (!m[2].matched) return m[1].str() + (upper ? " 23:59:59" : " 00:00:00");
  return m[1].str() + " " + m[2].str() + ":" + m[3].str() + ":" + (m[4].matched ? m[4].str() : upper ? "59" : "00");
}

class ExportRun {
 public:
  ExportRun(CliDevices& devices, std::ostream& out, std::ostream& err) : devices_(devices), out_(out), err_(err) {}

  int Run(const std::vector<std::string>& args) {
    const FleetArgs a = ParseFleetArgs(args, {"--db", "--format", "--meter", "--kind", "--from", "--to", "--output"}, {});
    if (const std::string why = Usage(a); !why.empty()) {
      err_ << "kamt export: " << why << " (see kamt --help)\n";
      return kExitUsage;
    }
    const std::string db = ChosenDatabase(a);
    if (IsMissingDatabaseFile(db)) {
      err_ << "kamt export: no database at " << db << '\n';
      return kExitFailed;
    }
    try {
      const auto store = devices_.fleet->OpenStoreToRead(db);
      return Export(*store, a);
    } catch (const StoreError& e) {
      err_ << "kamt export: " << e.what() << '\n';
      return kExitDatabase;
    }
  }

 private:
  std::string Usage(const FleetArgs& a) {
    if (!a.error.empty()) return a.error;
    if (a.words.size() > 1 || (a.words.empty() && !a.Value("--db"))) return "give the fleet file or --db PATH";
    format_ = a.Value("--format").value_or("csv");
    if (format_ != "file" && format_ != "csv" && format_ != "json") return "--format takes file, csv or json";
    if (const auto kind = a.Value("--kind")) {
      const auto it = std::ranges::find_if(kKinds, [&](ArchiveKind k) { return KindInfo(k).name == *kind; });
      if (it == std::end(kKinds)) return "--kind takes hourly, daily or monthly";
      kind_ = *it;
    }
    for (const auto& [option, bound, upper] : {std::tuple{"--from", &from_, false}, std::tuple{"--to", &to_, true}}) {
      if (const auto text = a.Value(option)) {
        const auto time = TimeBound(*text, upper);
        if (!time) return std::string(option) + " takes YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS]";
        *bound = *time;
      }
    }
    return {};
  }

  int Export(Store& store, const FleetArgs& a) {
    std::vector<StoredMeter> meters = store.Meters();
    if (const auto which = a.Value("--meter")) {
      std::erase_if(meters, [&](const StoredMeter& m) { return m.name != *which && std::to_string(m.serialNumber) != *which; });
      if (meters.empty()) {
        err_ << "kamt export: no meter named or numbered " << *which << " in the database\n";
        return kExitFailed;
      }
    }
    std::string text = format_ == "csv" ? CsvHeader() : format_ == "json" ? "[" : "";
    bool first = true;
    for (const StoredMeter& meter : meters) {
      for (const ArchiveKind kind : kKinds) {
        if (kind_ && kind != *kind_) continue;
        const std::vector<StoredRecord> records = store.Records(meter.id, kind, from_, to_);
        const std::vector<IntervalRow> rows = IntervalRows(records);
        if (format_ == "file") {
          if (!rows.empty() && !WriteArchive(meter, kind, rows, a.Value("--output").value_or("."))) return kExitFailed;
          continue;
        }
        for (const IntervalRow& row : rows) {
          text += format_ == "csv" ? CsvRow(meter, kind, row) : (first ? "\n" : ",\n") + JsonObject(meter, kind, row);
          first = false;
        }
      }
    }
    if (format_ == "file") return kExitOk;
    if (format_ == "json") text += "\n]\n";
    return Write(text, a.Value("--output"));
  }

  bool WriteArchive(const StoredMeter& meter, ArchiveKind kind, const std::vector<IntervalRow>& rows,
                    const std::filesystem::path& folder) {
    std::string error;
    const std::filesystem::path path = WriteArchiveFile(meter, kind, rows, folder, error);
    if (path.empty()) {
      err_ << "kamt export: " << (folder / ArchiveFileName(kind, meter.serialNumber)).string() << ": " << error << '\n';
      return false;
    }
    out_ << path.string() << ": " << rows.size() << " rows\n";
    return true;
  }

  int Write(const std::string& text, const std::optional<std::string>& output) {
    if (!output) {
      out_ << text;
      return kExitOk;
    }
    std::string error;
    if (!WriteFileAtomically(*output, text, &error)) {
      err_ << "kamt export: " << *output << ": " << error << '\n';
      return kExitFailed;
    }
    return kExitOk;
  }

  CliDevices& devices_;
  std::ostream& out_;
  std::ostream& err_;
  std::string format_;
  std::optional<ArchiveKind> kind_;
  std::string from_;
  std::string to_;
};

}  // namespace

int RunExport(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err) {
  if (!devices.fleet) {
    err << "kamt export: this build has no database support\n";
    return kExitDatabase;
  }
  return ExportRun(devices, out, err).Run(args);
}

}  // namespace kamt
