#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kamt {

// A Hayes result code the dial looks for, with what it means.
struct DialKeyword {
  std::string_view text;
  std::string_view status;  // the modem dialog's status line
  bool connected;
};

// Searched in this order, each as a plain substring, case respected. A later match overrides
// an earlier one: an answer holding both "CONNECT" and "OK" ends as no connection. "CONNECT"
// comes first.
inline constexpr DialKeyword DialKeywords[] = {
    {"CONNECT", "Соединение установлено", true},
    {"NO CARRIER", "Соединение не установлено", false},
    {"ERROR", "Соединение не установлено", false},
    {"NO DIALTONE", "Соединение не установлено", false},
    {"BUSY", "Соединение не установлено", false},
    {"OK", "Соединение не установлено", false},
};

// A modem ends each answer with CR LF. An echo of the command ends with its lone CR, and CR
// LF alone is only the start of an answer: neither completes it.
bool AnswerComplete(std::string_view received);

// What the transcript shows of bytes sent to or received from the modem: the prefix (">>" or
// "<<") and the bytes as Windows-1251 text, one display line per line of the modem's, blank
// lines after the first left out. Other control bytes are shown as \xHH, so nothing the
// modem sends can disturb the window or the terminal.
std::vector<std::string> TranscriptLines(std::string_view prefix, std::string_view bytes);

}  // namespace kamt
