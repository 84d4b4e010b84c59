#include "cli/fleet_options.h"
#include "cli/kamt_cli.h"
#include "fleet/fleet_platform.h"
#include "fleet/statement.h"
#include "fleet/store.h"
#include "text/text_file.h"

namespace kamt {
namespace {

std::string Usage(const FleetArgs& a, int& year, int& month) {
  if (!a.error.empty()) return a.error;
  if (a.words.size() > 1 || (a.words.empty() && !a.Value("--db"))) return "give the fleet file or --db PATH";
  if (!a.Value("--meter")) return "--meter NAME|SERIAL is needed";
  if (!a.Value("--month") || !ParseMonth(*a.Value("--month"), year, month)) return "--month takes YYYY-MM";
  const std::string format = a.Value("--format").value_or("csv");
  if (format != "csv" && format != "pdf") return "--format takes csv or pdf";
  if (format == "pdf" && !a.Value("--output")) return "--format pdf needs --output FILE";
  return {};
}

int Write(FleetPlatform& platform, const StoredMeter& meter, const Statement& statement, const FleetArgs& a,
          const std::string& separator, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> output = a.Value("--output");
  std::string error;
  if (a.Value("--format").value_or("csv") == "pdf") {
    error = platform.WritePdf(StatementHtml(meter, statement, separator), *output);
  } else if (!output) {
    out << StatementCsv(meter, statement);
    return kExitOk;
  } else {
    WriteFileAtomically(*output, StatementCsv(meter, statement), &error);
  }
  if (!error.empty()) {
    err << "kamt statement: " << *output << ": " << error << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int RunStatement(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err) {
  if (!devices.fleet) {
    err << "kamt statement: this build has no database support\n";
    return kExitDatabase;
  }
  const FleetArgs a = ParseFleetArgs(args, {"--db", "--meter", "--month", "--format", "--output"}, {});
  int year = 0, month = 0;
  if (const std::string why = Usage(a, year, month); !why.empty()) {
    err << "kamt statement: " << why << " (see kamt --help)\n";
    return kExitUsage;
  }
  const std::string db = ChosenDatabase(a);
  if (IsMissingDatabaseFile(db)) {
    err << "kamt statement: no database at " << db << '\n';
    return kExitFailed;
  }
  try {
    const auto store = devices.fleet->OpenStoreToRead(db);
    const std::string which = *a.Value("--meter");
    for (const StoredMeter& meter : store->Meters()) {
      if (meter.name != which && std::to_string(meter.serialNumber) != which) continue;
      const std::string from = MonthStart(year, month), to = MonthEnd(year, month);
      const Statement statement = MakeStatement(year, month, meter.sensorType,
                                                store->Records(meter.id, ArchiveKind::Hourly, from, to),
                                                store->Records(meter.id, ArchiveKind::Daily, from, to));
      return Write(*devices.fleet, meter, statement, a, devices.decimalSeparator, out, err);
    }
    err << "kamt statement: no meter named or numbered " << which << " in the database\n";
    return kExitFailed;
  } catch (const StoreError& e) {
    err << "kamt statement: " << e.what() << '\n';
    return kExitDatabase;
  }
}

}  // namespace kamt
