#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/link.h"
#include "meter/archive_record.h"
#include "meter/comm_params.h"
#include "meter/current_data.h"
#include "meter/meter_clock.h"
#include "meter/meter_config.h"

namespace kamt {

// The state of one run of the program: the link with its buffers and settings, and what the
// meter services keep between commands. Tests make a fresh one for every case.
struct Session {
  Session(Window& w, SerialPort& p, ClientSocket& s, Clock& c) : link(p, s, c), window_(w) {}

  Link link;
  CurrentDataRecord CurrentData;
  // Sized from the record count the meter reports, entry i holding record i of this read.
  std::vector<ArchiveRecord> ArchiveTable;
  bool ArchiveAbort = false;
  MeterConfigRecord MeterConfig;    // the configuration last read
  MeterConfigRecord configToWrite;  // the one validated for writing
  MeterClockRecord MeterClock;
  CommParamsRecord CommParams;
  std::string decimalSeparator = ".";  // the user's locale's, for numbers on screen
  // Where the archive files and the configuration report go: the current directory, unless
  // tests say otherwise.
  std::filesystem::path outputDirectory = ".";
  bool commandRunning = false;
  // The computer's clock, read when the meter's clock is compared with it or set from it;
  // tests put a fixed time here.
  std::function<LocalDateTime()> computerTime = SystemLocalTime;

  Window& window() { return window_; }

 private:
  Window& window_;  // the main window, TForm1
};

// Holds the session for one command. Commands share the buffers and wait with the event loop
// running, so a second command started meanwhile is refused rather than run inside the first.
class CommandScope {
 public:
  explicit CommandScope(Session& s) : session_(s), acquired_(!s.commandRunning) {
    if (acquired_) session_.commandRunning = true;
  }
  ~CommandScope() {
    if (acquired_) session_.commandRunning = false;
  }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;
  explicit operator bool() const { return acquired_; }

 private:
  Session& session_;
  bool acquired_;
};

}  // namespace kamt
