#pragma once

#include <string>

namespace kamt {

class Window;
struct Link;

// The buttons a made connection enables, in the order they are set.

// The connection that was opened is up: panel 0 says where to, the commands are enabled, the
// transaction counter starts again and "Разорвать соединение" replaces "Установить соединение".
void ClientSocket1Connect(Link& link, Window& window);

// Bytes have arrived: panel 2 counts them and the waiting exchange is told.
void ClientSocket1Read(Link& link, Window& window);

// The connection was refused, failed or dropped: panel 0 says so with the reason, and the
// menu offers a new connection at once.
void ClientSocket1Error(Link& link, Window& window, const std::string& reason);

// Routes ClientSocket1's notifications to the three handlers above.
void InstallSocketHandlers(Link& link, Window& window);

}  // namespace kamt
