#include "setup/ini_document.h"

#include <algorithm>
#include <cctype>

#include "text/text_lines.h"

namespace kamt {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  std::string section;
  for (std::string& raw : SplitLines(text)) {
    Line line{std::move(raw), {}, {}, false};
    const std::string_view trimmed = Trim(line.text);
    if (trimmed.starts_with('[')) {
      const auto close = trimmed.find(']');
      section = std::string(Trim(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      line.header = true;
    } else if (!trimmed.starts_with(';')) {
      const auto eq = trimmed.find('=');
      if (eq != std::string_view::npos) line.key = std::string(Trim(trimmed.substr(0, eq)));
    }
    line.section = section;
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::optional<std::size_t> IniDocument::FindKey(std::string_view section, std::string_view key) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (!l.header && !l.key.empty() && SameName(l.section, section) && SameName(l.key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> IniDocument::LastLineOfSection(std::string_view section) const {
  std::size_t i = 0;
  while (i < lines_.size() && !(lines_[i].header && SameName(lines_[i].section, section))) ++i;
  if (i == lines_.size()) return std::nullopt;
  // Blank lines at the section's end stay after a key added to it.
  std::size_t last = i;
  for (++i; i < lines_.size() && !lines_[i].header; ++i) {
    if (!Trim(lines_[i].text).empty()) last = i;
  }
  return last;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const {
  const auto i = FindKey(section, key);
  if (!i) return std::nullopt;
  const std::string& text = lines_[*i].text;
  return std::string(Trim(std::string_view(text).substr(text.find('=') + 1)));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (const auto i = FindKey(section, key)) {
    lines_[*i].text = lines_[*i].key + "=" + std::string(value);
    return;
  }
  Line line{std::string(key) + "=" + std::string(value), std::string(section), std::string(key), false};
  if (const auto last = LastLineOfSection(section)) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*last) + 1, std::move(line));
    return;
  }
  lines_.push_back({"[" + std::string(section) + "]", std::string(section), {}, true});
  lines_.push_back(std::move(line));
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : lines_) out += l.text + "\r\n";
  return out;
}

}  // namespace kamt
