#include "cli/field_assignments.h"

#include <algorithm>

#include "cli/cli_command.h"
#include "cli/console_window.h"
#include "meter/combo_items.h"
#include "meter/integer_fields.h"
#include "text/input_number.h"

namespace kamt {
namespace {

struct Assignment {
  std::string_view name;
  std::string_view value;
};

std::optional<Assignment> Split(std::string_view arg) {
  const auto equals = arg.find('=');
  if (equals == std::string_view::npos || equals == 0) return std::nullopt;
  return Assignment{arg.substr(0, equals), arg.substr(equals + 1)};
}

const FormField* Find(std::span<const FormField> fields, std::string_view name) {
  for (const FormField& f : fields) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::string Names(std::span<const FormField> fields) {
  std::string names;
  for (const FormField& f : fields) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return names;
}

// Items that count up by one from the first: "2..32".
std::optional<std::string> Run(std::span<const std::string_view> items) {
  const auto first = ParseInteger(items.front());
  if (!first || items.size() < 3) return std::nullopt;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (ParseInteger(items[i]) != *first + static_cast<int>(i)) return std::nullopt;
  }
  return std::string(items.front()) + ".." + std::string(items.back());
}

// "32 | 40 | ... | #17": an empty item can only be named by its position.
std::string Items(std::span<const std::string_view> items) {
  if (const auto run = Run(items)) return *run;
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!text.empty()) text += " | ";
    text += items[i].empty() ? "#" + std::to_string(i) : std::string(items[i]);
  }
  if (!IsNumericList(items)) text += " (or 0.." + std::to_string(items.size() - 1) + ")";
  return text;
}

// A number its register cannot hold is a usage error, refused before anything is sent, with
// the message the window shows for it. Text that is no number at all is left to the write's
// own check, as the window leaves it.
std::string RegisterRefuses(const FormField& f, std::string_view value) {
  const IntegerField* register16 = FindIntegerField(f.control);
  if (!register16 || !ParseInteger(value) || ParseIntegerIn(value, register16->low, register16->high)) return {};
  return std::string(register16->message) + ": " + std::string(f.name) + " takes a whole number from " +
         std::to_string(register16->low) + " to " + std::to_string(register16->high);
}

std::string Caption(const FormField& f) {
  return std::string(f.caption) + (f.caption.ends_with(':') ? " " : ": ");
}

}  // namespace

void FillComboLists(ConsoleWindow& window) {
  for (const ComboList& list : MainWindowComboLists()) {
    window.SetItems(list.control, std::vector<std::string>(list.items.begin(), list.items.end()));
  }
}

std::string CheckAssignments(std::span<const FormField> fields, std::span<const std::string> args) {
  if (args.empty()) return "write needs NAME=VALUE, NAME one of: " + Names(fields);
  for (const std::string& arg : args) {
    const auto a = Split(arg);
    if (!a) return "\"" + arg + "\" is not NAME=VALUE; NAME is one of: " + Names(fields);
    const FormField* field = Find(fields, a->name);
    if (!field) return "unknown field " + std::string(a->name) + "; the fields are: " + Names(fields);
    const auto items = ComboItems(field->control);
    if (!items.empty() && !ItemPosition(items, a->value)) {
      return std::string(field->name) + " takes one of: " + Items(items);
    }
    if (const std::string refused = RegisterRefuses(*field, a->value); !refused.empty()) return refused;
  }
  return {};
}

void ApplyAssignments(std::span<const FormField> fields, std::span<const std::string> args, Window& window) {
  for (const std::string& arg : args) {
    const auto a = Split(arg);
    const FormField* field = a ? Find(fields, a->name) : nullptr;
    if (field) PutFieldText(window, *field, a->value);
  }
}

void PrintFields(std::span<const FormField> fields, const Window& window, std::ostream& out) {
  for (const FormField& f : fields) out << Caption(f) << window.Text(f.control) << '\n';
}

std::string FieldsHelp(std::string_view title, std::span<const FormField> fields) {
  std::string help = std::string(title) + "\n";
  for (const FormField& f : fields) {
    std::string line = "  " + std::string(f.name);
    line.resize(std::max<std::size_t>(line.size() + 2, 20), ' ');
    const auto items = ComboItems(f.control);
    help += line + (items.empty() ? std::string(f.caption) : Caption(f) + Items(items)) + "\n";
  }
  return help;
}

bool ReadChangeWrite(CliContext& c, std::span<const FormField> fields, bool (*read)(Session&),
                     bool (*write)(Session&)) {
  if (!read(c.session)) return false;
  ApplyAssignments(fields, std::span(c.args).subspan(1), c.window);
  return RunAndReport(c, write);
}

bool RunAndReport(CliContext& c, const std::function<bool(Session&)>& handler) {
  c.window.SetStatusText(1, "");
  c.window.SetStatusText(2, "");
  if (!handler(c.session)) return false;
  c.out << c.window.StatusText(1) << '\n';
  return true;
}

}  // namespace kamt
