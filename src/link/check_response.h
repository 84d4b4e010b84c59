#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kamt {

class Window;

// The message box text of a Modbus exception code.
std::string ExceptionMessage(std::uint8_t code);

// Checks an answer PDU (pdu[0] is the function code; len its length, the bytes received) and
// copies its register or record bytes into the service's data area. Returns 0 when accepted,
// 1 when rejected after showing the message box. A rejected answer leaves dataArea unchanged.
//
// A 0x03/0x04 answer must carry at least dataArea.size() data bytes, counted by its byte
// count and by the bytes actually received; more are cut to the area's size.
std::uint8_t CheckResponse(std::span<const std::uint8_t> pdu, int len,
                           std::span<std::uint8_t> dataArea, Window& window);

}  // namespace kamt
