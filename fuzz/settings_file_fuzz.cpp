// Whatever a settings file holds: read, then written back with every key of ours.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/ini_document.h"
#include "setup/settings_file.h"
#include "text/cp1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  kamt::IniDocument ini = kamt::IniDocument::Parse(kamt::Cp1251ToUtf8(bytes));
  for (const char* key : {"Type", "NetAddr", "Port", "Baudrate", "Modem", "IP_Addr"}) {
    for (const char* section : {"Communication", "Serial", "Ethernet"}) {
      if (const auto value = ini.Value(section, key)) (void)kamt::ReadSettingsInteger(*value, 7);
    }
  }
  ini.Set("Serial", "Baudrate", "9600");
  ini.Set("Fuzz", "Key", "1");
  const std::string out = kamt::Utf8ToCp1251(ini.Serialize());
  // What was written reads back with the values just set.
  const kamt::IniDocument again = kamt::IniDocument::Parse(kamt::Cp1251ToUtf8(out));
  if (again.Value("Fuzz", "Key") != "1") __builtin_trap();
  return 0;
}
