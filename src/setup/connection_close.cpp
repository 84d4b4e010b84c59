#include <string>

#include "link/client_socket.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "setup/connection.h"
#include "setup/settings_file.h"
#include "setup/window.h"

namespace kamt {

bool FormClose(Link& link, Window& w, const std::filesystem::path& SettingsPath, bool& saveFailedBefore) {
  const bool wasConnected = link.port.IsOpen() || link.socket.Connected() || link.socket.Connecting();
  link.port.Close();
  link.socket.Close();
  std::string message;
  if (SaveSettings(link.LinkSettings, SettingsPath, message) || saveFailedBefore) return true;
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
