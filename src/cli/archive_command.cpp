#include <optional>

#include "cli/cli_command.h"
#include "cli/console_window.h"
#include "meter/archive_kinds.h"
#include "meter/archive_read.h"
#include "meter/current_data_read.h"
#include "meter/session.h"

namespace kamt {
namespace {

std::optional<ArchiveKind> KindNamed(std::string_view name) {
  for (const ArchiveKind kind : {ArchiveKind::Hourly, ArchiveKind::Daily, ArchiveKind::Monthly}) {
    if (KindInfo(kind).name == name) return kind;
  }
  return std::nullopt;
}

// Ctrl+C stops the read as "Прервать чтение" does, for as long as the read runs.
class InterruptAsAbort {
 public:
  InterruptAsAbort(ConsoleWindow& w, Session& s) : window_(w) {
    window_.SetInterruptHandler([&s] { Button7Click(s); });
  }
  ~InterruptAsAbort() { window_.SetInterruptHandler(nullptr); }
  InterruptAsAbort(const InterruptAsAbort&) = delete;
  InterruptAsAbort& operator=(const InterruptAsAbort&) = delete;

 private:
  ConsoleWindow& window_;
};

// What the window leaves unsaid, a script must still learn: a read that stopped early, or
// one that wrote no file.
void ReportShortRead(const ArchiveReadResult& r, std::ostream& err) {
  if (r.aborted) err << "kamt: interrupted: " << r.recordsRead << " of " << r.recordsAsked << " records read\n";
  if (r.recordsSkipped > 0) {
    err << "kamt: " << r.recordsSkipped << " of " << r.recordsAsked
        << " records not answered; no interval that takes one of them is in the file\n";
  }
  if (r.failed) err << "kamt: the read stopped after " << r.recordsRead << " of " << r.recordsAsked << " records\n";
  if (r.connectionLost) {
    err << "kamt: the connection was lost after " << r.recordsRead << " of " << r.recordsAsked << " records\n";
  }
  if (r.outcome == ArchiveOutcome::TooFewRecords) {
    err << "kamt: " << r.recordsRead << (r.recordsRead == 1 ? " record" : " records")
        << " read; a file needs at least two: none was written\n";
  }
  // The message box of a file not written whole gave its reason already.
  if (!r.fileError.empty() && r.outcome == ArchiveOutcome::FileNotOpened) {
    err << "kamt: " << r.fileName << ": " << r.fileError << '\n';
  }
}

}  // namespace

std::string CheckArchiveArgs(const std::vector<std::string>& args) {
  if (args.empty() || !KindNamed(args[0])) return "archive: say hourly, daily or monthly";
  return {};
}

// Reads the current data first, for the record counts, the counters' decimals, the serial
// number and the sensor type, then the archive as the window's button would, with N in the
// kind's count edit (the whole archive unless N is given).
bool RunArchiveCommand(CliContext& c) {
  const ArchiveKind kind = *KindNamed(c.args.at(0));
  if (!Button1Click(c.session)) return false;
  if (c.args.size() > 1) c.window.SetText(KindInfo(kind).countEdit, c.args[1]);
  c.window.SetProgressStream(&c.err);
  ArchiveReadResult result;
  {
    InterruptAsAbort interrupt(c.window, c.session);
    result = ReadArchive(c.session, kind);
  }
  c.window.SetProgressStream(nullptr);
  ReportShortRead(result, c.err);
  if (result.outcome != ArchiveOutcome::Saved) return false;
  // A failed command says why the connection went (kamt_cli); a saved file must say it too.
  if (result.connectionLost) c.err << c.window.StatusText(0) << '\n';
  c.out << c.window.StatusText(1) << '\n';
  return true;
}

}  // namespace kamt
