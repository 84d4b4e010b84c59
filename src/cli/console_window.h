#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "setup/window.h"

namespace kamt {

// The window of the command line: it keeps what the logic writes into controls so the tool
// can print it, and shows every message box on the error stream as it happens.
class ConsoleWindow : public Window {
 public:
  explicit ConsoleWindow(std::ostream& messages) : messages_(messages) {}
  ~ConsoleWindow() override;
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;

  void SetStatusText(int panel, std::string_view text) override;
  std::string StatusText(int panel) const override;
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, std::string_view text) override;
  int ItemIndex(std::string_view control) const override;
  void SetItemIndex(std::string_view control, int index) override;
  int ItemCount(std::string_view control) const override;
  void SetItemCount(std::string_view control, int count);
  // Gives a combo box its items: selecting one then shows its text, as a real combo box does.
  void SetItems(std::string_view control, const std::vector<std::string>& items) override;
  bool Enabled(std::string_view control) const override;
  void SetEnabled(std::string_view control, bool enabled) override;
  void SetVisible(std::string_view control, bool visible) override;
  void SetProgress(int done, int total) override;
  void ShowMessage(std::string_view text) override;
  // On the same stream as ShowMessage: the text alone, as a command line says it.
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override;
  // Kept as the control's text, lines joined by LF.
  void AppendLine(std::string_view control, std::string_view line) override;
  // Where progress goes, if anywhere (the command line reports it on stderr): a counter
  // "done/total" rewritten in place, its line ended when the command ends or a message comes.
  void SetProgressStream(std::ostream* stream) { progress_ = stream; }
  // What a Ctrl+C does while a command waits: the handler runs inside ProcessEvents, where a
  // click would arrive in the window. An empty handler lets Ctrl+C end the program again.
  void SetInterruptHandler(std::function<void()> handler);
  void ProcessEvents() override;
  // Ends the line of a progress counter shown, so that the next text starts a line of its own.
  void EndProgressLine();

 protected:
  // Every control named must be one of a form's (setup/form_controls.h): another name is a
  // fault of the program, which this reports.
  void Check(std::string_view control) const;
  virtual void OnUnknownControl(std::string_view control) const;

 private:
  std::ostream& messages_;
  std::ostream* progress_ = nullptr;
  bool progressShown_ = false;
  std::function<void()> interruptHandler_;
  std::string status_[3];
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, int, std::less<>> indexes_;
  std::map<std::string, int, std::less<>> counts_;
  std::map<std::string, std::vector<std::string>, std::less<>> items_;
  std::map<std::string, bool, std::less<>> enabled_;
};

// Called from the SIGINT handler, so it only sets a flag. False when no command takes an
// interrupt now: the program should then end as Ctrl+C always ends it.
bool RequestConsoleInterrupt() noexcept;

}  // namespace kamt
