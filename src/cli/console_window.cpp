#include "cli/console_window.h"

namespace kamt {
namespace {

template <typename Map, typename Value>
Value Find(const Map& map, std::string_view key, Value fallback) {
  const auto it = map.find(key);
  return it == map.end() ? fallback : it->second;
}

}  // namespace

void ConsoleWindow::SetStatusText(int panel, std::string_view text) {
  if (panel >= 0 && panel < 3) status_[panel] = text;
}

std::string ConsoleWindow::StatusText(int panel) const {
  return panel >= 0 && panel < 3 ? status_[panel] : std::string();
}

std::string ConsoleWindow::Text(std::string_view control) const { return Find(texts_, control, std::string()); }

void ConsoleWindow::SetText(std::string_view control, std::string_view text) {
  texts_.insert_or_assign(std::string(control), std::string(text));
}

int ConsoleWindow::ItemIndex(std::string_view control) const { return Find(indexes_, control, -1); }

void ConsoleWindow::SetItemIndex(std::string_view control, int index) {
  const int count = ItemCount(control);
  indexes_.insert_or_assign(std::string(control), index >= 0 && index < count ? index : -1);
}

int ConsoleWindow::ItemCount(std::string_view control) const { return Find(counts_, control, 0); }

void ConsoleWindow::SetItemCount(std::string_view control, int count) {
  counts_.insert_or_assign(std::string(control), count);
}

bool ConsoleWindow::Enabled(std::string_view control) const { return Find(enabled_, control, true); }

void ConsoleWindow::SetEnabled(std::string_view control, bool enabled) {
  enabled_.insert_or_assign(std::string(control), enabled);
}

void ConsoleWindow::SetVisible(std::string_view, bool) {}

void ConsoleWindow::SetProgress(int done, int total) {
  if (!progress_) return;
  if (total > 0) {
    *progress_ << '\r' << done << '/' << total << std::flush;
  } else {
    *progress_ << '\n' << std::flush;
  }
}

void ConsoleWindow::ShowMessage(std::string_view text) { messages_ << text << '\n' << std::flush; }

}  // namespace kamt
