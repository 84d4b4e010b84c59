#include "fleet/silent_window.h"

namespace kamt {

void SilentWindow::SetStatusText(int panel, std::string_view text) {
  if (panel >= 0 && panel < 3) status_[panel] = text;
}

std::string SilentWindow::StatusText(int panel) const { return panel >= 0 && panel < 3 ? status_[panel] : ""; }

std::string SilentWindow::Text(std::string_view control) const {
  const auto it = texts_.find(control);
  return it == texts_.end() ? "" : it->second;
}

void SilentWindow::SetText(std::string_view control, std::string_view text) { texts_[std::string(control)] = text; }

int SilentWindow::ItemIndex(std::string_view control) const {
  const auto it = indexes_.find(control);
  return it == indexes_.end() ? -1 : it->second;
}

void SilentWindow::SetItemIndex(std::string_view control, int index) { indexes_[std::string(control)] = index; }

void SilentWindow::ProcessEvents() {
  if (hook_) hook_();
}

std::string SilentWindow::Failure() const {
  if (!lastMessage_.empty()) return lastMessage_;
  for (int panel : {1, 2}) {
    if (!status_[panel].empty()) return status_[panel];
  }
  return "no reason given";
}

void SilentWindow::ClearFailure() {
  lastMessage_.clear();
  status_[1].clear();
  status_[2].clear();
}

}  // namespace kamt
