#include "setup/tcp_events.h"

#include "link/client_socket.h"
#include "link/link.h"
#include "setup/command_sets.h"
#include "setup/window.h"

namespace kamt {
namespace {

std::string Where(const ClientSocket& socket) {
  return socket.Host() + ", порт:" + std::to_string(socket.Port());
}

}  // namespace

void ClientSocket1Connect(Link& link, Window& w) {
  w.SetStatusText(0, "Подключено к " + Where(link.socket));
  for (const char* button : kTcpConnectSet) w.SetEnabled(button, true);
  link.TransactionId = 0;
  w.SetVisible("Connect", false);
  w.SetVisible("Disconnect", true);
}

void ClientSocket1Read(Link& link, Window& w) {
  // Over a converter panel 2 tells the exchange as on the serial line.
  if (!link.IsRtuOverTcp()) w.SetStatusText(2, "Получено байт: " + std::to_string(link.socket.ReceiveLength()));
  link.TcpDataReady = true;
}

void ClientSocket1Error(Link& link, Window& w, const std::string& reason) {
  if (link.IsSerial()) return;  // a socket left from before; the serial line is what is in use
  w.SetStatusText(0, "Нет соединения с " + Where(link.socket) + ": " + reason);
  // A connection that is gone leaves nothing for the commands to use.
  for (const char* button : kDisconnectSet) w.SetEnabled(button, false);
  w.SetVisible("Disconnect", false);
  w.SetVisible("Connect", true);
}

void InstallSocketHandlers(Link& link, Window& w) {
  link.socket.SetHandlers({
      [&link, &w] { ClientSocket1Connect(link, w); },
      [&link, &w] { ClientSocket1Read(link, w); },
      [&link, &w](const std::string& reason) { ClientSocket1Error(link, w, reason); },
  });
}

}  // namespace kamt
