#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace kamt {

class Clock;
class SerialPort;
struct FrameBuffers;

// How far a hang-up got: the modem answered "+++" with OK (back in command mode), and "ATH"
// with OK too (the call ended).
enum class HangUpResult { NoAnswer, CommandMode, HungUp };

// Sees each command sent (">>") and each answer received ("<<") of the hang-up.
using ModemExchangeSeen = std::function<void(std::string_view prefix, std::span<const std::uint8_t> bytes)>;

// Back to command mode with "+++" between two guard times of silence, then "ATH". The bytes
// pass through frames' buffers; whatever the modem answers, the port stays as it is.
HangUpResult HangUpModem(SerialPort& port, Clock& clock, FrameBuffers& frames, const ModemExchangeSeen& seen = {});

}  // namespace kamt
