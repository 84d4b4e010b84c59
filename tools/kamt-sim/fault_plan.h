#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kamt::sim {

enum class FaultMode {
  // both transports
  Silent, Exception, Delay, Noise, Endless,
  // serial line
  Crc, Short,
  // Modbus TCP
  WrongTransaction, WrongProtocol, WrongUnit, WrongLength, Split, TwoFrames, Late, Drop, Reset,
  // archive requests
  ArchiveFailFirst, ArchiveFailIndex,
  // answers that a careless master would take for the one it asked for
  WrongAddress, WrongFunction, WriteEcho, ByteCount, Duplicate, Flood,
};

// How the answer to a write echoes the request under the write-echo fault.
enum class WriteEcho { Bare, Start, Count };

struct Fault {
  FaultMode mode;
  int value = 0;  // exception code, milliseconds, count, index, address or function, as the mode needs
};

// The wrong-address fault with no address given answers from the meter's address + 1.
inline constexpr int kNextAddress = -1;

// How often the bytes of an answer that never ends come when "endless" names no period.
inline constexpr int kDefaultEndlessPeriodMs = 300;

std::optional<Fault> ParseFault(std::string_view text);

enum class ArchiveFailure { Silent, Crc, Exception, Flood };
std::optional<ArchiveFailure> ParseArchiveFailure(std::string_view text);

enum class Transport { Serial, Tcp };

// What to do to one answer instead of, or besides, sending it as it is.
struct FaultAction {
  bool silent = false;
  bool drop = false;
  bool reset = false;  // the connection is reset (RST), not closed in order
  int noise = 0;       // this many random bytes instead of the answer
  std::uint32_t noiseSeed = 0;
  std::optional<int> endlessMs;  // a byte every so many ms instead of the answer, until the next request
  std::optional<std::uint8_t> exception;
  int delayMs = 0;
  bool badCrc = false;
  bool half = false;
  bool wrongTransaction = false;
  bool wrongProtocol = false;
  bool wrongUnit = false;
  bool wrongLength = false;
  std::optional<int> splitMs;
  bool twoFrames = false;
  std::optional<int> wrongAddress;  // kNextAddress or the address to answer from
  std::optional<std::uint8_t> wrongFunction;
  std::optional<WriteEcho> writeEcho;
  std::optional<std::uint8_t> byteCount;
  std::optional<int> duplicateMs;  // the same answer once more, so many ms later
  bool flood = false;              // junk for ever instead of any answer

  bool Skips() const {  // the meter never acts
    return silent || drop || reset || noise > 0 || endlessMs.has_value() || exception.has_value() || flood;
  }
  bool Spoils() const {  // the master will not take the answer
    return Skips() || badCrc || half || wrongTransaction || wrongProtocol || wrongUnit || wrongLength ||
           splitMs.has_value() || twoFrames || wrongAddress || wrongFunction || writeEcho || byteCount;
  }
};

// Decides, request by request, which of the chosen faults strike. The general faults spare the
// first `skip` requests they apply to, then strike the next `times` (all when not limited); the
// archive faults follow the master's reads.
class FaultPlan {
 public:
  FaultPlan() = default;
  FaultPlan(std::vector<Fault> faults, std::optional<unsigned> times, ArchiveFailure archiveFailure,
            int answerDelayMs = 0, unsigned skip = 0);

  FaultAction Decide(Transport transport, std::span<const std::uint8_t> pdu);

 private:
  bool ArchiveRequestFails(std::uint8_t function, std::uint16_t index, bool spoiled);
  void ApplyArchiveFailure(Transport transport, FaultAction& action) const;

  std::vector<Fault> faults_;
  std::vector<unsigned> seen_;  // requests each fault applied to, spared ones included
  std::optional<unsigned> times_;
  unsigned skip_ = 0;  // each fault spares the first skip_ requests it applies to
  std::uint32_t noiseStruck_ = 0;  // so that each burst of noise is another
  ArchiveFailure archiveFailure_ = ArchiveFailure::Crc;
  int answerDelayMs_ = 0;  // every answer, fault or none

  struct LastArchive {
    std::uint8_t function;
    std::uint16_t index;
    bool failed;
  };
  std::optional<LastArchive> lastArchive_;
  unsigned positionInRead_ = 0;
};

}  // namespace kamt::sim
