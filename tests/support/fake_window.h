#pragma once

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/console_window.h"

namespace kamt::test {

// A window without a display that keeps, in order, everything the logic did to it: status
// texts, message boxes and enabled changes, so tests can check texts and their sequence.
class FakeWindow : public ConsoleWindow {
 public:
  FakeWindow() : ConsoleWindow(shown_) {}

  void SetStatusText(int panel, std::string_view text) override;
  void SetEnabled(std::string_view control, bool enabled) override;
  void SetVisible(std::string_view control, bool visible) override;
  bool Visible(std::string_view control) const;
  void ShowMessage(std::string_view text) override;
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override;
  void ProcessEvents() override;

  // Entries such as "panel1 Чтение данных", "message Ошибка CRC!", "GroupBox1 off",
  // "Connect hidden", "box Ошибка!: Порт не открыт! (error)".
  std::vector<std::string> log;
  std::vector<std::string> messages;
  int processEventsCalls = 0;
  // Runs inside ProcessEvents: what a user's click during a wait would do.
  std::function<void()> onProcessEvents;

  // The log entries that start with prefix, in order.
  std::vector<std::string> Entries(std::string_view prefix) const;

 protected:
  // A name no form has is a typo in the logic: the test stops there.
  void OnUnknownControl(std::string_view control) const override;

 private:
  std::ostringstream shown_;
  std::map<std::string, bool, std::less<>> visible_;
};

}  // namespace kamt::test
