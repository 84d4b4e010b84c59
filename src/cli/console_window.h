#pragma once

#include <map>
#include <ostream>
#include <string>

#include "link/window.h"

namespace kamt {

// The window of the command line: it keeps what the logic writes into controls so the tool
// can print it, and shows every message box on the error stream as it happens.
class ConsoleWindow : public Window {
 public:
  explicit ConsoleWindow(std::ostream& messages) : messages_(messages) {}

  void SetStatusText(int panel, std::string_view text) override;
  std::string StatusText(int panel) const override;
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, std::string_view text) override;
  int ItemIndex(std::string_view control) const override;
  void SetItemIndex(std::string_view control, int index) override;
  int ItemCount(std::string_view control) const override;
  void SetItemCount(std::string_view control, int count);
  bool Enabled(std::string_view control) const override;
  void SetEnabled(std::string_view control, bool enabled) override;
  void SetVisible(std::string_view control, bool visible) override;
  void SetProgress(int done, int total) override;
  void ShowMessage(std::string_view text) override;
  // Where progress goes, if anywhere (the command line reports it on stderr).
  void SetProgressStream(std::ostream* stream) { progress_ = stream; }
  void ProcessEvents() override {}

 private:
  std::ostream& messages_;
  std::ostream* progress_ = nullptr;
  std::string status_[3];
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, int, std::less<>> indexes_;
  std::map<std::string, int, std::less<>> counts_;
  std::map<std::string, bool, std::less<>> enabled_;
};

}  // namespace kamt
