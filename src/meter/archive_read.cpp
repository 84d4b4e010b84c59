#include "meter/archive_read.h"

#include <algorithm>
#include <array>
#include <optional>

#include "link/client_socket.h"
#include "meter/archive_attempt.h"
#include "meter/archive_decode.h"
#include "meter/archive_kinds.h"
#include "meter/exchange.h"
#include "meter/session.h"
#include "setup/command_sets.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

void SetLocked(Window& w, const ArchiveKindInfo& info, bool locked) {
  for (const std::string_view control : info.lockedControls) w.SetEnabled(control, !locked);
}

// Gives back what the read locked. A TCP connection that went down meanwhile has disabled the
// commands: a read button must not come back on without a connection to read over.
void Unlock(Session& s, const ArchiveKindInfo& info) {
  const bool connected = s.link.IsSerial() || s.link.socket.Connected();
  for (const std::string_view control : info.lockedControls) {
    const bool command = std::ranges::any_of(kDisconnectSet, [&](std::string_view c) { return c == control; });
    s.window().SetEnabled(control, connected || !command);
  }
}

// One read in progress.
class ArchiveReader {
 public:
  ArchiveReader(Session& s, const ArchiveKindInfo& info, int count, long long start)
      : s_(s), w_(s.window()), info_(info), count_(count), index_(start), readNow_(static_cast<std::size_t>(count)) {
    result_.recordsAsked = start < count ? static_cast<int>(count - start) : 0;
  }

  ArchiveReadResult Run() {
    s_.ArchiveAbort = false;
    // Panel 2 tells of this read's exchanges only: one that asks for nothing must not leave the
    // text of the command before it there, as if it were its own.
    w_.SetStatusText(2, "");
    s_.ArchiveTable.assign(static_cast<std::size_t>(count_), ArchiveRecord{});
    if (result_.recordsAsked > 0) w_.SetProgress(0, result_.recordsAsked);
    while (index_ < count_ && !s_.ArchiveAbort && !result_.failed && !result_.connectionLost) Attempt();
    result_.aborted = s_.ArchiveAbort && index_ < count_ && !result_.failed && !result_.connectionLost;
    w_.SetStatusText(1, "Чтение архива закончено");
    w_.ProcessEvents();
    Unlock(s_, info_);
    w_.SetProgress(0, 0);
    if (result_.recordsRead < 2) {
      result_.outcome = ArchiveOutcome::TooFewRecords;
      return result_;
    }
    Save();
    return result_;
  }

 private:
  // A stop asked for in the events run here ends the read before another request goes out.
  void Attempt() {
    w_.SetStatusText(1, "Идет чтение архива: " + std::to_string(index_) + ":" + std::to_string(count_ - 1));
    w_.ProcessEvents();
    if (s_.ArchiveAbort) return;
    // A converter carries the serial line's frames: its pause, request and retries are the line's.
    const bool serial = s_.link.UsesSerialRules();
    if (serial && s_.link.LinkSettings.Delay > 0 && !ArchivePause(s_, s_.link.LinkSettings.Delay)) return;
    std::array<std::uint8_t, kArchiveRecordSize> record{};
    const ExchangeResult r = ArchiveAttempt(s_, info_.function, index_, record, taken_);
    serial ? SerialOutcome(r, record) : TcpOutcome(r, record);
  }

  void Store(std::span<const std::uint8_t, kArchiveRecordSize> record) {
    taken_.Add(record);
    const auto i = static_cast<std::size_t>(index_);
    s_.ArchiveTable[i] = DecodeArchiveRecord(record);
    readNow_[i] = true;
    ++result_.recordsRead;
    ++index_;
    w_.SetProgress(result_.recordsRead, result_.recordsAsked);
  }

  // One counter for every kind of failure: the same index is tried again until the fifth
  // failure in a row, whose message is then shown.
  void SerialOutcome(ExchangeResult r, std::span<const std::uint8_t, kArchiveRecordSize> record) {
    if (r == ExchangeResult::Accepted) {
      failures_ = 0;
      Store(record);
      return;
    }
    // A converter's connection that is gone: no retry can reach the meter any more.
    if (s_.link.IsRtuOverTcp() && s_.link.lastTcpFailure == TcpFailure::NotConnected) {
      result_.connectionLost = true;
      return;
    }
    if (++failures_ < kArchiveFailureLimit) return;
    const std::string_view message = FailureMessage(r);
    w_.ShowMessage(message.empty() ? "Ошибка чтения архива!" : message);
    w_.SetStatusText(1, "Ошибка чтения архива");
    result_.failed = true;
  }

  // A failed exchange skips the index: no retry, no message of the archive's own. A connection
  // that is gone ends the read instead: every index after it would fail at once, and the
  // meter would be blamed for records it was never asked for.
  void TcpOutcome(ExchangeResult r, std::span<const std::uint8_t, kArchiveRecordSize> record) {
    if (r == ExchangeResult::Accepted) {
      Store(record);
      return;
    }
    if (s_.link.lastTcpFailure == TcpFailure::NotConnected) {
      result_.connectionLost = true;
      return;
    }
    ++result_.recordsSkipped;
    ++index_;
  }

  void Save() {
    ArchiveFileResult file = WriteArchiveFile(s_, info_.kind, readNow_);
    result_.fileName = std::move(file.fileName);
    result_.fileError = std::move(file.error);
    switch (file.outcome) {
      case ArchiveFileOutcome::Saved: result_.outcome = ArchiveOutcome::Saved; break;
      case ArchiveFileOutcome::NotOpened: result_.outcome = ArchiveOutcome::FileNotOpened; break;
      case ArchiveFileOutcome::NotWritten: result_.outcome = ArchiveOutcome::FileNotWritten; break;
    }
  }

  Session& s_;
  Window& w_;
  const ArchiveKindInfo& info_;
  const int count_;
  long long index_;
  int failures_ = 0;
  RecordsTaken taken_;  // the records of this read
  std::vector<bool> readNow_;
  ArchiveReadResult result_;
};

}  // namespace

long long FirstArchiveIndex(int count, long long n) { return count - 1 > n ? count - n - 1 : 0; }

ArchiveReadResult ReadArchive(Session& s, ArchiveKind kind) {
  CommandScope scope(s);
  if (!scope) return {};
  const ArchiveKindInfo& info = KindInfo(kind);
  Window& w = s.window();
  const std::optional<std::int32_t> n = ParseInteger(w.Text(info.countEdit));
  if (!n) {
    w.ShowMessage("Ошибка ввода числа записей!");
    ArchiveReadResult result;
    result.outcome = ArchiveOutcome::BadCount;
    return result;
  }
  const int count = RecordCount(s.CurrentData, kind);
  const long long start = FirstArchiveIndex(count, *n);
  SetLocked(w, info, true);
  return ArchiveReader(s, info, count, start).Run();
}

ArchiveReadResult Button2Click(Session& s) { return ReadArchive(s, ArchiveKind::Hourly); }
ArchiveReadResult Button3Click(Session& s) { return ReadArchive(s, ArchiveKind::Daily); }
ArchiveReadResult Button4Click(Session& s) { return ReadArchive(s, ArchiveKind::Monthly); }

void Button7Click(Session& s) { s.ArchiveAbort = true; }

}  // namespace kamt
