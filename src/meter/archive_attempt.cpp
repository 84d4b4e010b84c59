#include "meter/archive_attempt.h"

#include <algorithm>

#include "link/clock.h"
#include "link/modbus.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {
namespace {

// A pause before a request is cut into slices this long, so that a stop ends it at once.
constexpr int kPauseSliceMs = 100;

}  // namespace

ExchangeResult ArchiveAttempt(Session& s, std::uint8_t function, long long index,
                              std::span<std::uint8_t, kArchiveRecordSize> record, const RecordsTaken& taken) {
  // Over Modbus TCP the request keeps a fourth byte after the index, always 0.
  const std::array<std::uint8_t, modbus::kTcpArchiveRequestData> data = {
      static_cast<std::uint8_t>(index >> 8 & 0xFF), static_cast<std::uint8_t>(index & 0xFF), 0};
  // A converter carries the serial line's frames, and so its request.
  const bool serial = s.link.UsesSerialRules();
  const Request request{function, std::span(data).first(serial ? 2 : 3), modbus::kArchiveAnswerLength};
  const ExchangeResult r = Exchange(s.link, s.window(), request, record, {});
  return r == ExchangeResult::Accepted && taken.Contains(record) ? ExchangeResult::Repeated : r;
}

bool ArchivePause(Session& s, int ms) {
  Clock& clock = s.link.clock;
  const std::uint64_t end = clock.NowMs() + static_cast<std::uint64_t>(ms);
  for (std::uint64_t now = clock.NowMs(); now < end; now = clock.NowMs()) {
    const std::uint64_t left = end - now;
    clock.Sleep(static_cast<int>(std::min<std::uint64_t>(left, kPauseSliceMs)));
    // One of a slice or less is as good as part of the exchange it comes before.
    if (left <= kPauseSliceMs) break;
    s.window().ProcessEvents();
    if (s.ArchiveAbort) return false;
  }
  return true;
}

}  // namespace kamt
