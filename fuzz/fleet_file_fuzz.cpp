// Whatever a fleet file holds: every line read or refused with its number, each meter's line
// key and connection text made, and a meter's connection text read back as the same meter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fleet/fleet_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kamt::FleetFile fleet = kamt::ParseFleetText(text, "f");
  for (const kamt::FleetMeter& m : fleet.meters) {
    if (m.name.empty() || m.LineKey().empty()) __builtin_trap();
    // A line of blank-split cells holds no blank, quote, '#', ';' or TAB inside a cell.
    const std::string cells = m.name + m.device + m.modemNumber + m.host;
    if (cells.find_first_of(" \t#;\"") != std::string::npos) continue;
    const std::string line = m.name + " " + m.Connection();
    const kamt::FleetFile again = kamt::ParseFleetText(line, "g");
    if (again.meters.size() != 1 || again.meters[0].Connection() != m.Connection()) __builtin_trap();
  }
  return 0;
}
