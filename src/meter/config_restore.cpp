#include "meter/config_restore.h"

#include <span>

#include "link/modbus.h"
#include "meter/comm_params_view.h"
#include "meter/control_watch.h"
#include "meter/form_fields.h"
#include "meter/holding_registers.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_view.h"
#include "meter/session.h"

namespace kamt {
namespace {

using Values = std::map<std::string, BackupValue, std::less<>>;

RestoreResult Refuse(std::string error) { return {RestoreOutcome::Refused, std::move(error)}; }

std::string AtLine(const BackupValue& v, const FormField& f) {
  return "Строка " + std::to_string(v.line) + ": " + std::string(f.name) + " = " + v.text + " (" +
         std::string(f.caption) + ")";
}

// Fills the group's controls from the file; the first list value that names no item of its
// list is refused with its line, as the window could not hold it either.
std::string Fill(Window& w, std::span<const FormField> fields, const Values& values, std::string_view sep) {
  for (const FormField& f : fields) {
    const BackupValue& v = values.at(std::string(f.name));
    if (!PutFieldText(w, f, WindowText(f, v, sep))) return AtLine(v, f) + ": нет такого пункта в списке";
  }
  return {};
}

// The line of the field whose control the window's check refused.
std::string RefusedLine(const ControlWatch& watch, std::span<const FormField> fields, const Values& values) {
  for (const FormField& f : fields) {
    if (f.control == watch.Refused()) return AtLine(values.at(std::string(f.name)), f);
  }
  return "значение не принято";
}

}  // namespace

RestoreResult RestoreBackup(Session& s, const ConfigBackup& backup, bool withComm) {
  CommandScope scope(s);
  if (!scope) return Refuse("выполняется другая команда");
  if (withComm && backup.comm.empty()) return Refuse("в файле нет параметров коммуникации (раздела [comm])");
  Window& w = s.window();
  if (std::string error = Fill(w, ConfigFields(), backup.config, s.decimalSeparator); !error.empty()) {
    return Refuse(error);
  }
  ControlWatch configWatch(w);
  if (!ValidateConfigInput(configWatch, s.configToWrite, s.decimalSeparator)) {
    return Refuse(RefusedLine(configWatch, ConfigFields(), backup.config));
  }
  CommParamsRecord comm = s.CommParams;
  if (withComm) {
    if (std::string error = Fill(w, CommFields(), backup.comm, s.decimalSeparator); !error.empty()) return Refuse(error);
    ControlWatch commWatch(w);
    if (!ParseCommParams(commWatch, comm)) return Refuse(RefusedLine(commWatch, CommFields(), backup.comm));
  }
  const auto config = EncodeMeterConfig(s.configToWrite);
  if (!WriteHoldingRegisters(s, modbus::kConfigWriteFirst, config, "Запись конфигурации")) {
    return {RestoreOutcome::WriteFailed, {}};
  }
  if (withComm) {
    s.CommParams = comm;
    if (!WriteHoldingRegisters(s, modbus::kCommParamsFirst, EncodeCommParams(comm), "Запись параметров коммуникации")) {
      return {RestoreOutcome::WriteFailed, {}};
    }
  }
  return {RestoreOutcome::Written, {}};
}

}  // namespace kamt
