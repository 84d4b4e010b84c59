#include "cli/console_window.h"

#include <atomic>

#include "setup/form_controls.h"

namespace kamt {
namespace {

// Ctrl+C arrives on a signal handler: a lock-free flag is all it may touch.
enum InterruptState : int { kNotTaken, kTaken, kRequested };
std::atomic<int> interruptState{kNotTaken};
static_assert(std::atomic<int>::is_always_lock_free);

template <typename Map, typename Value>
Value Find(const Map& map, std::string_view key, Value fallback) {
  const auto it = map.find(key);
  return it == map.end() ? fallback : it->second;
}

}  // namespace

ConsoleWindow::~ConsoleWindow() {
  if (interruptHandler_) SetInterruptHandler(nullptr);
}

void ConsoleWindow::SetStatusText(int panel, std::string_view text) {
  if (panel >= 0 && panel < 3) status_[panel] = text;
}

std::string ConsoleWindow::StatusText(int panel) const {
  return panel >= 0 && panel < 3 ? status_[panel] : std::string();
}

std::string ConsoleWindow::Text(std::string_view control) const {
  Check(control);
  return Find(texts_, control, std::string());
}

void ConsoleWindow::SetText(std::string_view control, std::string_view text) {
  Check(control);
  texts_.insert_or_assign(std::string(control), std::string(text));
}

int ConsoleWindow::ItemIndex(std::string_view control) const {
  Check(control);
  return Find(indexes_, control, -1);
}

void ConsoleWindow::SetItemIndex(std::string_view control, int index) {
  Check(control);
  const int count = ItemCount(control);
  const int selected = index >= 0 && index < count ? index : -1;
  indexes_.insert_or_assign(std::string(control), selected);
  const auto items = items_.find(control);
  if (items == items_.end()) return;
  const auto at = static_cast<std::size_t>(selected);
  SetText(control, selected >= 0 && at < items->second.size() ? items->second[at] : std::string());
}

int ConsoleWindow::ItemCount(std::string_view control) const {
  Check(control);
  return Find(counts_, control, 0);
}

void ConsoleWindow::SetItemCount(std::string_view control, int count) {
  Check(control);
  counts_.insert_or_assign(std::string(control), count);
}

void ConsoleWindow::SetItems(std::string_view control, const std::vector<std::string>& items) {
  Check(control);
  SetItemCount(control, static_cast<int>(items.size()));
  items_.insert_or_assign(std::string(control), items);
  indexes_.insert_or_assign(std::string(control), -1);
}

bool ConsoleWindow::Enabled(std::string_view control) const {
  Check(control);
  return Find(enabled_, control, true);
}

void ConsoleWindow::SetEnabled(std::string_view control, bool enabled) {
  Check(control);
  enabled_.insert_or_assign(std::string(control), enabled);
}

void ConsoleWindow::SetVisible(std::string_view control, bool) { Check(control); }

void ConsoleWindow::SetProgress(int done, int total) {
  if (!progress_) return;
  if (total > 0) {
    *progress_ << '\r' << done << '/' << total << std::flush;
    progressShown_ = true;
  } else {
    EndProgressLine();
  }
}

void ConsoleWindow::Check(std::string_view control) const {
  if (!IsFormControl(control)) OnUnknownControl(control);
}

void ConsoleWindow::OnUnknownControl(std::string_view control) const {
  messages_ << "kamt: internal error: no form has a control named " << control << '\n';
}

void ConsoleWindow::EndProgressLine() {
  if (!progressShown_ || !progress_) return;
  *progress_ << '\n' << std::flush;
  progressShown_ = false;
}

void ConsoleWindow::ShowMessage(std::string_view text) {
  EndProgressLine();
  messages_ << text << '\n' << std::flush;
}

void ConsoleWindow::ShowMessageBox(std::string_view, std::string_view text, MessageIcon) { ShowMessage(text); }

void ConsoleWindow::AppendLine(std::string_view control, std::string_view line) {
  Check(control);
  std::string& text = texts_[std::string(control)];
  if (!text.empty()) text += '\n';
  text += line;
}

void ConsoleWindow::SetInterruptHandler(std::function<void()> handler) {
  interruptHandler_ = std::move(handler);
  interruptState = interruptHandler_ ? kTaken : kNotTaken;
}

void ConsoleWindow::ProcessEvents() {
  int requested = kRequested;
  if (interruptHandler_ && interruptState.compare_exchange_strong(requested, kTaken)) interruptHandler_();
}

bool RequestConsoleInterrupt() noexcept {
  int taken = kTaken;
  return interruptState.compare_exchange_strong(taken, kRequested) || taken == kRequested;
}

}  // namespace kamt
