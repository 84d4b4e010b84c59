#include "meter/enable_commands.h"

#include "setup/window.h"

namespace kamt {

void EnableCommands(Window& window, bool enabled) {
  for (const char* group : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox6", "GroupBox7", "GroupBox8"}) {
    window.SetEnabled(group, enabled);
  }
}

}  // namespace kamt
