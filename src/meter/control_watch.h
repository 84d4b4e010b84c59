#pragma once

#include <string>

#include "setup/window.h"

namespace kamt {

// A window that passes everything on to another one and notes which control a check read
// last before it showed a message: the control whose value the check refused.
class ControlWatch : public Window {
 public:
  explicit ControlWatch(Window& window) : w_(window) {}

  // The control read last before the first message; empty while none was shown.
  const std::string& Refused() const { return refused_; }

  void SetStatusText(int panel, std::string_view text) override { w_.SetStatusText(panel, text); }
  std::string StatusText(int panel) const override { return w_.StatusText(panel); }
  std::string Text(std::string_view control) const override {
    Note(control);
    return w_.Text(control);
  }
  void SetText(std::string_view control, std::string_view text) override { w_.SetText(control, text); }
  int ItemIndex(std::string_view control) const override {
    Note(control);
    return w_.ItemIndex(control);
  }
  void SetItemIndex(std::string_view control, int index) override { w_.SetItemIndex(control, index); }
  int ItemCount(std::string_view control) const override { return w_.ItemCount(control); }
  void SetItems(std::string_view control, const std::vector<std::string>& items) override { w_.SetItems(control, items); }
  bool Enabled(std::string_view control) const override { return w_.Enabled(control); }
  void SetEnabled(std::string_view control, bool enabled) override { w_.SetEnabled(control, enabled); }
  void SetVisible(std::string_view control, bool visible) override { w_.SetVisible(control, visible); }
  void SetProgress(int done, int total) override { w_.SetProgress(done, total); }
  void ShowMessage(std::string_view text) override {
    if (refused_.empty()) refused_ = lastRead_;
    w_.ShowMessage(text);
  }
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override {
    w_.ShowMessageBox(title, text, icon);
  }
  void AppendLine(std::string_view control, std::string_view line) override { w_.AppendLine(control, line); }
  void ProcessEvents() override { w_.ProcessEvents(); }

 private:
  void Note(std::string_view control) const { lastRead_ = control; }

  Window& w_;
  mutable std::string lastRead_;
  std::string refused_;
};

}  // namespace kamt
