#include "meter/archive_index_read.h"

#include "link/client_socket.h"
#include "meter/archive_decode.h"
#include "meter/archive_kinds.h"
#include "meter/session.h"
#include "setup/window.h"

namespace kamt {

IndexReadResult ReadArchiveIndex(Session& s, ArchiveKind kind, long long index,
                                 const RecordsTaken& taken) {
  IndexReadResult result;
  // A converter carries the serial line's frames: its pause and retries are the line's.
  const bool serial = s.link.UsesSerialRules();
  for (;;) {
    s.window().ProcessEvents();
    if (s.ArchiveAbort) return result;
    if (serial && s.link.LinkSettings.Delay > 0 && !ArchivePause(s, s.link.LinkSettings.Delay)) return result;
    ++result.requests;
    const ExchangeResult r = ArchiveAttempt(s, KindInfo(kind).function, index, result.bytes, taken);
    if (r == ExchangeResult::Accepted) {
      result.record = DecodeArchiveRecord(result.bytes);
      result.outcome = IndexReadOutcome::Read;
      return result;
    }
    ++result.failedAttempts;
    const std::string_view message = FailureMessage(r);
    result.message = message.empty() ? "Ошибка чтения архива!" : message;
    if (!serial) {
      if (r == ExchangeResult::TcpFailed) {
        const std::string why = s.window().StatusText(2);
        result.message = !why.empty() ? why : s.link.lastTcpFailure == TcpFailure::NoAnswer ? "no answer within 3 s" : "";
      }
      const bool lost = s.link.lastTcpFailure == TcpFailure::NotConnected || !s.link.socket.Connected();
      result.outcome = lost ? IndexReadOutcome::ConnectionLost : IndexReadOutcome::Skipped;
      return result;
    }
    // A converter's connection that is gone: no retry can reach the meter any more.
    if (s.link.IsRtuOverTcp() && s.link.lastTcpFailure == TcpFailure::NotConnected) {
      result.outcome = IndexReadOutcome::ConnectionLost;
      return result;
    }
    if (result.failedAttempts >= kArchiveFailureLimit) {
      result.outcome = IndexReadOutcome::Failed;
      return result;
    }
  }
}

}  // namespace kamt
