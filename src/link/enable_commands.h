#pragma once

namespace kamt {

class Window;

// Locks or unlocks the command groups while a read runs: GroupBox1, GroupBox2, GroupBox3,
// GroupBox6, GroupBox7 and GroupBox8, in this order. The configuration group stays usable.
void EnableCommands(Window& window, bool enabled);

}  // namespace kamt
