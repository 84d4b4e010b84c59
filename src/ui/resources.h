#pragma once

namespace kamt {

// Readies what every form needs before it is built: the icons compiled into the ui library (a
// static library's resources are registered only when asked) and the forms' font.
void PrepareUi();

}  // namespace kamt
