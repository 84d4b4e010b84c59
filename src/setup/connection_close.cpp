#include <string>

#include "link/client_socket.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "setup/connection.h"
#include "setup/settings_file.h"
#include "setup/window.h"

namespace kamt {

namespace {

void SayFileKept(Window& w, const std::filesystem::path& SettingsPath) {
  w.ShowMessage("Настройки не сохранены: файл " + SettingsPath.string() + " больше " +
                std::to_string(kSettingsFileLimit / 1024) + " КиБ, он оставлен как был");
}

}  // namespace

bool FormClose(Link& link, Window& w, const std::filesystem::path& SettingsPath, bool& saveFailedBefore,
               bool fileRefused) {
  const bool wasConnected = link.port.IsOpen() || link.socket.Connected() || link.socket.Connecting();
  link.port.Close();
  link.socket.Close();
  if (fileRefused) {
    SayFileKept(w, SettingsPath);
    return true;
  }
  std::string message;
  bool tooLarge = false;
  if (SaveSettings(link.LinkSettings, SettingsPath, message, &tooLarge) || saveFailedBefore) return true;
  if (tooLarge) {
    SayFileKept(w, SettingsPath);
    return true;
  }
  saveFailedBefore = true;
  // The window stays open with nothing connected any more: it says so.
  if (wasConnected) {
    w.SetStatusText(0, "");
    ShowDisconnected(w);
  }
  w.ShowMessage(message);
  return false;
}

}  // namespace kamt
