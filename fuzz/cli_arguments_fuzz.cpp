// The command line's arguments, and above all the NAME=VALUE fields of "config write" and
// "comm write". What the parser lets through must then be put into the controls as given: a
// list field with one of its items selected (the check before the write never finds it
// empty), an edit with the text as typed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_window.h"
#include "cli/field_assignments.h"
#include "cli/form_fields.h"
#include "link/link_settings.h"
#include "meter/combo_items.h"

namespace {

std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  return args;
}

void CheckApplied(std::span<const kamt::FormField> fields, std::span<const std::string> assignments) {
  std::ostringstream sink;
  kamt::ConsoleWindow window(sink);
  kamt::FillComboLists(window);
  kamt::ApplyAssignments(fields, assignments, window);
  std::map<std::string_view, std::string_view> last;  // a field named twice takes the last value
  for (const std::string& a : assignments) {
    const std::size_t equals = a.find('=');
    if (equals == std::string::npos || equals == 0) __builtin_trap();  // let through unchecked
    for (const kamt::FormField& f : fields) {
      if (f.name == std::string_view(a).substr(0, equals)) last[f.control] = std::string_view(a).substr(equals + 1);
    }
  }
  for (const auto& [control, value] : last) {
    const auto items = kamt::ComboItems(control);
    if (items.empty()) {
      if (window.Text(control) != value) __builtin_trap();
      continue;
    }
    const int index = window.ItemIndex(control);
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) __builtin_trap();
    if (kamt::ItemPosition(items, value) != index) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args = Arguments(data, size);
  const kamt::CliParseResult parsed = kamt::ParseCliOptions(args);
  if (!parsed.error.empty() || parsed.options.help) return 0;  // --help runs no command
  kamt::LinkSettingsRecord settings;
  kamt::ApplyLineOptions(parsed.options, settings);
  if (parsed.options.address && (settings.NetAddr < 1 || settings.NetAddr > 255)) __builtin_trap();
  const auto& command = parsed.options.command;
  if (command.size() < 2 || command[1] != "write") return 0;
  const std::span<const std::string> assignments(command.begin() + 2, command.end());
  if (command[0] == "config") CheckApplied(kamt::ConfigFields(), assignments);
  if (command[0] == "comm") CheckApplied(kamt::CommFields(), assignments);
  return 0;
}
