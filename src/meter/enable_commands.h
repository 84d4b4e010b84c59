#pragma once

namespace kamt {

class Window;

// Locks or unlocks the command groups while a read runs: GroupBox1, GroupBox2, GroupBox3,
// GroupBox6, GroupBox7 and GroupBox8, in this order. The configuration group stays usable.
void EnableCommands(Window& window, bool enabled);

// The command groups locked for as long as this lives: whatever way a read ends, an early
// return included, the window is unlocked again.
class CommandGroupsLock {
 public:
  explicit CommandGroupsLock(Window& window) : window_(window) { EnableCommands(window_, false); }
  ~CommandGroupsLock() { EnableCommands(window_, true); }
  CommandGroupsLock(const CommandGroupsLock&) = delete;
  CommandGroupsLock& operator=(const CommandGroupsLock&) = delete;

 private:
  Window& window_;
};

}  // namespace kamt
