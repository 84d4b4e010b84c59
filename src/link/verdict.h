#pragma once

#include <string>

namespace kamt {

// What the protocol layer says of an answer: accepted, or refused with the text the user is
// to be shown. The layer shows nothing itself; the exchange every service uses does.
struct Verdict {
  bool accepted = false;
  std::string text;

  static Verdict Accept() { return {true, {}}; }
  static Verdict Refuse(std::string text) { return {false, std::move(text)}; }
  explicit operator bool() const { return accepted; }
};

}  // namespace kamt
