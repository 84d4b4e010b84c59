#pragma once

#include <filesystem>

namespace kamt {

class ModemDialog;
class Window;
struct Link;

// The connection settings dialog TForm2 as the connection commands use it.
class SettingsDialog {
 public:
  virtual ~SettingsDialog() = default;
  // Its controls: RadioGroup1, ModemConnect_CheckBox.
  virtual Window& Form() = 0;
  // Shows it modally; true when it closed with OK.
  virtual bool ShowModal() = 0;
};

// "Установить соединение": shows the settings dialog, then makes the window connected over the
// serial port, starts the TCP connection, or shows a failed dial.
void ConnectClick(Link& link, Window& window, SettingsDialog& form2, ModemDialog& modem);

// "Разорвать соединение": closes the socket, or hangs the modem up and closes the port, and
// makes the window not connected. form2 tells whether the line goes through a modem.
void DisconnectClick(Link& link, Window& window, const Window& form2);

// The window of no connection: the commands disabled, "Установить соединение" offered.
void ShowDisconnected(Window& window);

// The main window is closing: the port and the socket are closed and the settings saved.
// Returns true when the window may close. A first failed save shows "Unable to write to ..."
// and keeps the window open; a second attempt closes it all the same, so the program can
// always be quit. A settings file too large to be read at start (fileRefused), or now, is left
// as it is: the window says so and closes.
bool FormClose(Link& link, Window& window, const std::filesystem::path& SettingsPath, bool& saveFailedBefore,
               bool fileRefused = false);

}  // namespace kamt
