#include "cli/modem_call.h"

#include "cli/kamt_cli.h"
#include "cli/modem_console.h"
#include "meter/session.h"
#include "setup/connection.h"
#include "setup/modem_dial.h"

namespace kamt {

bool DialForCommand(CliDevices& devices, const std::string& number, int dialTimeoutS, std::ostream& err) {
  ModemConsoleWindow form3(err, devices.clock);
  ModemDial dial(form3, devices.port, devices.clock);
  form3.SetText("TelNum_ComboBox", number);
  bool timedOut = false;
  form3.SetTimeLimit(static_cast<std::uint64_t>(dialTimeoutS) * 1000, [&] {
    timedOut = true;
    dial.AbortDial();
  });
  // Ctrl+C is "Отмена".
  form3.SetInterruptHandler([&dial] { dial.Button1Click(); });
  dial.Connect_ButtonClick();
  form3.SetInterruptHandler(nullptr);
  if (timedOut) err << "kamt: the modem did not answer the dial within " << dialTimeoutS << " s\n";
  return dial.result() == ModemDial::Result::Ok;
}

void HangUpAfterCommand(Session& session, std::ostream& err) {
  // The connection dialog as the hang-up reads it: the modem option ticked.
  ConsoleWindow form2(err);
  form2.SetItemCount("ModemConnect_CheckBox", 2);
  form2.SetItemIndex("ModemConnect_CheckBox", 1);
  Window& w = session.window();
  w.SetStatusText(1, "");
  DisconnectClick(session.link, w, form2);
  const std::string reached = w.StatusText(1);
  if (reached == "Соединение разорвано") {
    err << "Командный режим\n" << reached << '\n';
  } else if (reached == "Командный режим") {
    err << reached << "\nkamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH\n";
  } else {
    err << "kamt: the modem did not answer \"+++\" with \"OK\": the line may still be up\n";
  }
}

}  // namespace kamt
