#include "fake_window.h"

#include <stdexcept>

namespace kamt::test {

void FakeWindow::SetStatusText(int panel, std::string_view text) {
  log.push_back("panel" + std::to_string(panel) + " " + std::string(text));
  ConsoleWindow::SetStatusText(panel, text);
}

void FakeWindow::SetEnabled(std::string_view control, bool enabled) {
  log.push_back(std::string(control) + (enabled ? " on" : " off"));
  ConsoleWindow::SetEnabled(control, enabled);
}

void FakeWindow::SetVisible(std::string_view control, bool visible) {
  Check(control);
  log.push_back(std::string(control) + (visible ? " shown" : " hidden"));
  visible_.insert_or_assign(std::string(control), visible);
}

bool FakeWindow::Visible(std::string_view control) const {
  const auto it = visible_.find(control);
  return it == visible_.end() || it->second;
}

void FakeWindow::ShowMessage(std::string_view text) {
  log.push_back("message " + std::string(text));
  messages.emplace_back(text);
}

void FakeWindow::ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) {
  const char* iconName = icon == MessageIcon::Error ? "error" : icon == MessageIcon::Warning ? "warning" : "none";
  log.push_back("box " + std::string(title) + ": " + std::string(text) + " (" + iconName + ")");
  messages.emplace_back(text);
}

void FakeWindow::ProcessEvents() {
  ++processEventsCalls;
  if (onProcessEvents) onProcessEvents();
}

void FakeWindow::OnUnknownControl(std::string_view control) const {
  throw std::logic_error("no form has a control named " + std::string(control));
}

std::vector<std::string> FakeWindow::Entries(std::string_view prefix) const {
  std::vector<std::string> found;
  for (const auto& entry : log) {
    if (entry.starts_with(prefix)) found.push_back(entry);
  }
  return found;
}

}  // namespace kamt::test
