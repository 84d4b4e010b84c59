#pragma once

namespace kamt {

struct Session;

// "Считать" of the "Параметры коммуникации" group: reads the meter's own RS485 and Ethernet
// settings and shows them. True when read and shown.
bool Button5Click(Session& session);

// "Записать": checks the controls and writes the settings to the meter. True when the meter
// accepted the write.
bool Button6Click(Session& session);

}  // namespace kamt
