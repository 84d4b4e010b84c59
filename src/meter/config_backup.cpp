#include "meter/config_backup.h"

#include <algorithm>
#include <bit>
#include <set>
#include <span>

#include "meter/combo_items.h"
#include "meter/form_fields.h"
#include "meter/integer_fields.h"
#include "setup/ip_address.h"
#include "text/input_number.h"
#include "text/text_lines.h"

namespace kamt {
namespace {

constexpr std::string_view kMeterSection = "meter";
constexpr std::string_view kConfigSection = "config";
constexpr std::string_view kCommSection = "comm";
constexpr std::string_view kSerialKey = "serial-number";
constexpr std::string_view kSavedKey = "saved";
// Far more than any configuration file: a larger one is something else.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

using Values = std::map<std::string, BackupValue, std::less<>>;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  if (from == to || from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

const FormField* FindField(std::span<const FormField> fields, std::string_view name) {
  const auto it = std::find_if(fields.begin(), fields.end(), [&](const FormField& f) { return f.name == name; });
  return it == fields.end() ? nullptr : &*it;
}

// The configuration's edits hold numbers with decimals, all but the serial number; the
// communication parameters' edits hold whole numbers and the IP address.
bool IsDecimal(const FormField& f) {
  return ComboItems(f.control).empty() && f.name != "serial" && FindField(ConfigFields(), f.name) == &f;
}

// A value as the meter keeps it, for comparing: the item chosen, the single-precision number,
// the 16 bits of a whole number, the four bytes of an address. A value that is none of these
// is compared as written.
std::string Canonical(const FormField& f, std::string_view text) {
  const std::string plain(Trim(text));
  if (const auto items = ComboItems(f.control); !items.empty()) {
    const auto position = ItemPosition(items, plain);
    return position ? "#" + std::to_string(*position) : plain;
  }
  if (IsDecimal(f)) {
    const auto number = ParseNumber(plain, ".");
    return number ? std::to_string(std::bit_cast<std::uint32_t>(*number)) : plain;
  }
  if (f.name == "ip") {
    const auto ip = ParseIpAddress(plain);
    return ip ? std::to_string(ip->at(0)) + "." + std::to_string(ip->at(1)) + "." + std::to_string(ip->at(2)) + "." +
                    std::to_string(ip->at(3))
              : plain;
  }
  // A number its register cannot hold stays as written: a restore refuses it by its field.
  const IntegerField* field = FindIntegerField(f.control);
  const auto word = ParseIntegerIn(plain, field ? field->low : 0, field ? field->high : 0xFFFF);
  return word ? std::to_string(*word) : plain;
}

Values CaptureGroup(const Window& w, std::span<const FormField> fields, std::string_view sep) {
  Values values;
  for (const FormField& f : fields) {
    std::string text = FieldText(w, f);
    if (IsDecimal(f)) text = Replace(std::move(text), sep, ".");
    values[std::string(f.name)] = {std::move(text), 0};
  }
  return values;
}

void FormatGroup(std::string& out, std::string_view section, std::span<const FormField> fields, const Values& values) {
  out += "\n[" + std::string(section) + "]\n";
  for (const FormField& f : fields) {
    const auto it = values.find(f.name);
    out += "# " + std::string(f.caption) + "\n" + std::string(f.name) + " = " + (it == values.end() ? "" : it->second.text) + "\n";
  }
}

std::string AtLine(int line, std::string_view what) { return "Строка " + std::to_string(line) + ": " + std::string(what); }

// Reads the file line by line into backup; false with the reason in error.
class Parser {
 public:
  Parser(ConfigBackup& backup, std::string& error) : backup_(backup), error_(error) {}

  bool Line(int n, std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') return true;
    if (line.front() == '[') return Section(n, line);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return Fail(AtLine(n, "ожидается \"имя = значение\""));
    const std::string_view name = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (section_ == kMeterSection) return Header(n, name, value);
    if (section_.empty()) return Fail(AtLine(n, "поле вне раздела; разделы: [meter], [config], [comm]"));
    Values& values = section_ == kConfigSection ? backup_.config : backup_.comm;
    if (!FindField(Fields(), name)) {
      return Fail(AtLine(n, "неизвестное поле \"" + std::string(name) + "\" в разделе [" + section_ + "]"));
    }
    if (values.contains(name)) return Fail(AtLine(n, "поле \"" + std::string(name) + "\" второй раз"));
    values[std::string(name)] = {std::string(value), n};
    return true;
  }

  bool Complete() {
    if (!seen_.contains(std::string(kConfigSection))) return Fail("нет раздела [config]: это не файл конфигурации");
    if (!Missing(ConfigFields(), backup_.config, kConfigSection)) return false;
    return backup_.comm.empty() || Missing(CommFields(), backup_.comm, kCommSection);
  }

 private:
  std::span<const FormField> Fields() const { return section_ == kConfigSection ? ConfigFields() : CommFields(); }

  bool Section(int n, std::string_view line) {
    if (line.back() != ']') return Fail(AtLine(n, "раздел без \"]\""));
    const std::string name(Trim(line.substr(1, line.size() - 2)));
    if (name != kMeterSection && name != kConfigSection && name != kCommSection) {
      return Fail(AtLine(n, "неизвестный раздел [" + name + "]; разделы: [meter], [config], [comm]"));
    }
    if (!seen_.insert(name).second) return Fail(AtLine(n, "раздел [" + name + "] второй раз"));
    section_ = name;
    return true;
  }

  bool Header(int n, std::string_view name, std::string_view value) {
    if (name == kSerialKey) {
      backup_.serialNumber = value;
    } else if (name == kSavedKey) {
      backup_.saved = value;
    } else {
      return Fail(AtLine(n, "неизвестное поле \"" + std::string(name) + "\" в разделе [meter]"));
    }
    return true;
  }

  bool Missing(std::span<const FormField> fields, const Values& values, std::string_view section) {
    for (const FormField& f : fields) {
      if (!values.contains(f.name)) {
        return Fail("в разделе [" + std::string(section) + "] нет поля \"" + std::string(f.name) + "\" (" +
                    std::string(f.caption) + ")");
      }
    }
    return true;
  }

  bool Fail(std::string text) {
    error_ = std::move(text);
    return false;
  }

  ConfigBackup& backup_;
  std::string& error_;
  std::string section_;
  std::set<std::string, std::less<>> seen_;
};

}  // namespace

ConfigBackup CaptureBackup(const Window& window, bool withComm, std::string_view sep) {
  ConfigBackup backup;
  backup.config = CaptureGroup(window, ConfigFields(), sep);
  if (withComm) backup.comm = CaptureGroup(window, CommFields(), sep);
  return backup;
}

std::string FormatBackup(const ConfigBackup& b) {
  std::string out =
      "# КАМТ: конфигурация прибора" + std::string(b.comm.empty() ? "" : " и параметры коммуникации") +
      "\n# Строки \"имя = значение\" (числа с точкой), над каждой - подпись поля в окне.\n"
      "\n[meter]\n" + std::string(kSerialKey) + " = " + b.serialNumber + "\n" + std::string(kSavedKey) + " = " +
      b.saved + "\n";
  FormatGroup(out, kConfigSection, ConfigFields(), b.config);
  if (!b.comm.empty()) FormatGroup(out, kCommSection, CommFields(), b.comm);
  return out;
}

std::optional<ConfigBackup> ParseBackup(std::string_view text, std::string& error) {
  if (text.size() > kMaxFileBytes) {
    error = "файл больше " + std::to_string(kMaxFileBytes / 1024) + " КиБ: это не файл конфигурации";
    return std::nullopt;
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark an editor put there
  ConfigBackup backup;
  Parser parser(backup, error);
  const std::vector<std::string> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!parser.Line(static_cast<int>(i + 1), lines[i])) return std::nullopt;
  }
  if (!parser.Complete()) return std::nullopt;
  return backup;
}

std::string WindowText(const FormField& field, const BackupValue& value, std::string_view sep) {
  return IsDecimal(field) ? Replace(value.text, ".", sep) : value.text;
}

std::vector<BackupDifference> CompareBackups(const ConfigBackup& left, const ConfigBackup& right) {
  std::vector<BackupDifference> differences;
  const auto compare = [&](std::span<const FormField> fields, const Values& a, const Values& b) {
    for (const FormField& f : fields) {
      const auto x = a.find(f.name);
      const auto y = b.find(f.name);
      const std::string l = x == a.end() ? "" : x->second.text;
      const std::string r = y == b.end() ? "" : y->second.text;
      if (Canonical(f, l) != Canonical(f, r)) differences.push_back({f.name, f.caption, l, r});
    }
  };
  compare(ConfigFields(), left.config, right.config);
  if (!left.comm.empty() && !right.comm.empty()) compare(CommFields(), left.comm, right.comm);
  return differences;
}

namespace {

// Characters, not bytes: the captions are Cyrillic.
std::size_t Width(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Padded(std::string_view text, std::size_t width) {
  return std::string(text) + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}

}  // namespace

std::string DifferenceTable(const std::vector<BackupDifference>& differences, std::string_view leftTitle,
                            std::string_view rightTitle) {
  const std::string_view fieldTitle = "Поле";
  std::size_t captionWidth = Width(fieldTitle);
  std::size_t leftWidth = Width(leftTitle);
  for (const BackupDifference& d : differences) {
    captionWidth = std::max(captionWidth, Width(d.caption));
    leftWidth = std::max(leftWidth, Width(d.left));
  }
  std::string table = Padded(fieldTitle, captionWidth + 2) + Padded(leftTitle, leftWidth + 2) + std::string(rightTitle) + "\n";
  for (const BackupDifference& d : differences) {
    table += Padded(d.caption, captionWidth + 2) + Padded(d.left, leftWidth + 2) + d.right + "\n";
  }
  return table;
}

}  // namespace kamt
