#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "line_setting.h"

class QSocketNotifier;

namespace kamt::sim {

// The meter's end of a pseudo-terminal; the master program opens the other end as its serial
// port. The slave side is held open here as well, so that the master program may open and
// close it as often as it likes without the pair hanging up.
class PtyPort {
 public:
  using Receiver = std::function<void(std::span<const std::uint8_t>)>;

  explicit PtyPort(Receiver receiver);
  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  bool Open(std::string& error);
  // The line setting both ends share now, as far as the pseudo-terminal keeps it.
  LineSetting Setting() const;
  const LineHolds& Holds() const { return holds_; }
  const std::string& SlavePath() const { return slavePath_; }
  void Write(std::span<const std::uint8_t> bytes);
  // Drops what the master program was sent and never read: nobody waits for it any more, and
  // on a real line it would be gone.
  void DiscardUnread();
  // From now on the line carries this byte for ever, as fast as the far end takes it.
  void Flood(std::uint8_t filler);

 private:
  void OnReadable();
  void PauseReading();

  Receiver receiver_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<QSocketNotifier> floodNotifier_;
  std::uint8_t filler_ = 0;
  std::uint64_t flooded_ = 0;  // bytes of the flood written
  LineHolds holds_;
};

}  // namespace kamt::sim
