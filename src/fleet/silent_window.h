#pragma once

#include <functional>
#include <map>
#include <string>

#include "setup/window.h"

namespace kamt {

// The window of a meter polled by the collector: it shows nothing, keeps the texts the logic
// writes so the poll can tell why something failed, and runs a hook where a window would run
// its events, through which a stop or a time limit reaches the logic between requests.
class SilentWindow : public Window {
 public:
  void SetStatusText(int panel, std::string_view text) override;
  std::string StatusText(int panel) const override;
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, std::string_view text) override;
  int ItemIndex(std::string_view control) const override;
  void SetItemIndex(std::string_view control, int index) override;
  int ItemCount(std::string_view) const override { return 2; }
  void SetItems(std::string_view, const std::vector<std::string>&) override {}
  bool Enabled(std::string_view) const override { return true; }
  void SetEnabled(std::string_view, bool) override {}
  void SetVisible(std::string_view, bool) override {}
  void SetProgress(int, int) override {}
  void ShowMessage(std::string_view text) override { lastMessage_ = text; }
  void ShowMessageBox(std::string_view, std::string_view text, MessageIcon) override { lastMessage_ = text; }
  void AppendLine(std::string_view, std::string_view line) override { lastLine_ = line; }
  void ProcessEvents() override;

  void SetEventHook(std::function<void()> hook) { hook_ = std::move(hook); }
  const std::string& LastMessage() const { return lastMessage_; }
  const std::string& LastLine() const { return lastLine_; }
  // What went wrong, from what the logic left: the last message box, else status panels 1, 2.
  std::string Failure() const;
  void ClearFailure();

 private:
  std::string status_[3];
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, int, std::less<>> indexes_;
  std::string lastMessage_;
  std::string lastLine_;
  std::function<void()> hook_;
};

}  // namespace kamt
