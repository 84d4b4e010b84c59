#include "setup/port_open_failure.h"

namespace kamt {

std::string PortOpenFailureText(const std::string& name, OpenFailure failure, const std::string& detail) {
  std::string reason;
  switch (failure) {
    case OpenFailure::NotFound: reason = "нет такого устройства"; break;
    case OpenFailure::AccessDenied:
#ifdef _WIN32
      reason = "нет доступа";
#else
      // Serial devices belong to the dialout group on Debian and its kin.
      reason = "нет доступа (нужно членство в группе dialout: sudo usermod -aG dialout $USER, затем войти заново)";
#endif
      break;
    case OpenFailure::InUse: reason = "занят другой программой"; break;
    case OpenFailure::Other: reason = detail.empty() ? "ошибка открытия" : detail; break;
    case OpenFailure::None: reason = detail; break;
  }
  return "Порт не открыт: " + (name.empty() ? std::string("(не выбран)") : name) + ": " + reason;
}

}  // namespace kamt
