#include "setup/modem_dial_answer.h"

#include <cstdio>

#include "text/cp1251.h"
#include "text/text_lines.h"

namespace kamt {
namespace {

// 0x98 has no character in Windows-1251 and would come out as a C1 control.
bool Printable(unsigned char c) { return c == '\r' || c == '\n' || (c >= 0x20 && c != 0x7F && c != 0x98); }

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (Printable(byte)) {
      out += c;
      continue;
    }
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
    out += hex;
  }
  return out;
}

}  // namespace

bool AnswerComplete(std::string_view received) { return received.size() > 2 && received.ends_with("\r\n"); }

std::vector<std::string> TranscriptLines(std::string_view prefix, std::string_view bytes) {
  std::vector<std::string> lines{std::string(prefix)};
  const std::vector<std::string> text = SplitLines(Cp1251ToUtf8(Escaped(bytes)));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 0) {
      lines[0] += text[0];
    } else if (!text[i].empty()) {
      lines.push_back(text[i]);
    }
  }
  return lines;
}

}  // namespace kamt
