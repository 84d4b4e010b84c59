#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kamt {

// The arguments of a fleet command: positional words and --NAME VALUE options, each option
// from `valued` (takes a value) or `flags` (takes none), given once at most.
struct FleetArgs {
  std::vector<std::string> words;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  std::string error;  // empty when the arguments were understood

  std::optional<std::string> Value(const std::string& name) const;
};

FleetArgs ParseFleetArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                         const std::set<std::string>& flags);

// The database beside the fleet file: its name with the extension ".db".
std::string DefaultDatabasePath(const std::string& fleetPath);

// The database a reading command (export, statement) takes: --db, else the one beside the
// fleet file given, else none (empty).
std::string ChosenDatabase(const FleetArgs& a);
// A database file that is not there, which a reader must not make; a server's address is
// never missing here, its server says whether it has the database.
bool IsMissingDatabaseFile(const std::string& db);

}  // namespace kamt
