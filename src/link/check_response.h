#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/request.h"
#include "link/verdict.h"

namespace kamt {

// The message box text of a Modbus exception code.
std::string ExceptionMessage(std::uint8_t code);

// Texts of answers that are not answers to what was asked.
inline constexpr const char* kOtherDeviceText = "Ответ от другого устройства!";
inline constexpr const char* kNotTheAnswerText = "Ответ не соответствует запросу!";
inline constexpr const char* kBadLengthText = "Неправильная длина ответа!";

// Checks an answer PDU (pdu[0] is the function code; len its length, the bytes received)
// against the request it answers, and copies its register or record bytes into the service's
// data area. A refused answer leaves dataArea unchanged; the verdict carries its message.
//
// An answer must be the answer to this request: the function code asked (or it with the
// exception bit), a register read's byte count twice the registers asked with that many bytes
// present, a write's echo of the start and count sent, an archive record of the kind asked.
Verdict CheckResponse(const Request& request, std::span<const std::uint8_t> pdu, int len,
                      std::span<std::uint8_t> dataArea);

// A serial answer comes from the device addressed; any other one on the bus is not its answer.
Verdict CheckAnswerAddress(std::uint8_t asked, std::uint8_t answered);

}  // namespace kamt
