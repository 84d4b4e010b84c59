#pragma once

#include <ostream>
#include <string>

namespace kamt {

struct Session;
struct CliDevices;

// A command of the command line through a dial-up modem on the open serial port: dialled
// before it as the modem dialog dials, hung up after it as "Разорвать соединение" hangs up.

// Dials number with the modem dialog's logic; its transcript and status lines go to err.
// Gives up after dialTimeoutS seconds without a complete answer, and on Ctrl+C. True when
// the modem reported a connection.
bool DialForCommand(CliDevices& devices, const std::string& number, int dialTimeoutS, std::ostream& err);

// Back to command mode with "+++", "ATH", and the port closed; says on err how far it got.
void HangUpAfterCommand(Session& session, std::ostream& err);

}  // namespace kamt
