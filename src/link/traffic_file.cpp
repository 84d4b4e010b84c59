#include "link/traffic_file.h"

#include "link/traffic_log.h"

namespace kamt {

bool SaveTrafficLog(const TrafficLog& log, const std::filesystem::path& path, std::string* error,
                    WriteFailure* failure) {
  return WriteTextFile(path, log.Text(log.FirstNumber(), log.EndNumber(), "\r\n"), error, failure);
}

}  // namespace kamt
