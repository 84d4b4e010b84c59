#pragma once

namespace kamt {

struct Session;

// "Считать" of the "Данные" group: reads the current-data block and shows it. Returns true
// when the data were read and shown.
bool Button1Click(Session& session);

}  // namespace kamt
