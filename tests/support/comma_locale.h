#pragma once

namespace kamt::test {

// Switches LC_NUMERIC to a locale whose decimal separator is a comma (ru_RU.UTF-8), building it
// into a private folder with localedef when the machine has not generated it. False when
// neither works; the previous locale comes back when the guard goes.
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Active() const { return active_; }

 private:
  bool active_ = false;
  char saved_[64] = {};
};

}  // namespace kamt::test
