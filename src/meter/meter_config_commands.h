#pragma once

namespace kamt {

struct Session;

// "Считать" of the "Конфигурация" group: reads the whole configuration block, keeps it as the
// configuration last read and shows it. "Сохранить в файл" (Button11) is disabled during the
// read and enabled only by a successful one. Returns true when the block was read and shown.
bool ReadConf_ButtonClick(Session& session);

// "Записать": checks every control, then writes the configuration (never the clock before it).
// Returns true when the meter accepted the write.
bool WriteConf_ButtonClick(Session& session);

}  // namespace kamt
