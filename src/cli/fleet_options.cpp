#include "cli/fleet_options.h"

#include <filesystem>

#include "fleet/database_address.h"

namespace kamt {

std::optional<std::string> FleetArgs::Value(const std::string& name) const {
  const auto it = values.find(name);
  return it == values.end() ? std::nullopt : std::optional(it->second);
}

FleetArgs ParseFleetArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                         const std::set<std::string>& flags) {
  FleetArgs parsed;
  for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      parsed.words.push_back(arg);
    } else if (flags.contains(arg)) {
      if (!parsed.flags.insert(arg).second) parsed.error = arg + " is given twice";
    } else if (!valued.contains(arg)) {
      parsed.error = "unknown option " + arg;
    } else if (i + 1 >= args.size()) {
      parsed.error = arg + " needs a value";
    } else if (!parsed.values.emplace(arg, args[++i]).second) {
      parsed.error = arg + " is given twice";
    }
  }
  return parsed;
}

std::string DefaultDatabasePath(const std::string& fleetPath) {
  return std::filesystem::path(fleetPath).replace_extension(".db").string();
}

std::string ChosenDatabase(const FleetArgs& a) {
  return a.Value("--db").value_or(a.words.empty() ? "" : DefaultDatabasePath(a.words[0]));
}

bool IsMissingDatabaseFile(const std::string& db) {
  return !ParseDatabaseAddress(db).server && !std::filesystem::exists(db);
}

}  // namespace kamt
