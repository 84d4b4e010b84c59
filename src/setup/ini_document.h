#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kamt {

// An INI file as Windows' private-profile functions see it: sections and keys matched without
// regard to case, the first of two equal keys wins, values trimmed of surrounding blanks.
// Setting a key changes its own line only; every other line, ours or not, keeps its place.
class IniDocument {
 public:
  // Lines may end in CR LF, CR or LF.
  static IniDocument Parse(std::string_view text);

  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Rewrites the key's line, or adds the key after the last line of its section, or adds the
  // section with the key at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Every line ended by CR LF.
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;
    std::string section;  // of the section it belongs to, as written
    std::string key;      // trimmed; empty unless it is a key line
    bool header = false;
  };
  std::optional<std::size_t> FindKey(std::string_view section, std::string_view key) const;
  std::optional<std::size_t> LastLineOfSection(std::string_view section) const;

  std::vector<Line> lines_;
};

}  // namespace kamt
