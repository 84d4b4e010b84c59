#include "fleet/meter_poll.h"

#include "fleet/archive_walk.h"
#include "fleet/fleet_file.h"
#include "fleet/silent_window.h"
#include "fleet/store.h"
#include "meter/archive_kinds.h"
#include "meter/current_data_read.h"
#include "meter/meter_clock_calendar.h"
#include "meter/session.h"

namespace kamt {
namespace {

std::optional<long long> ClockOffset(Session& s) {
  const CurrentDataRecord& d = s.CurrentData;
  const auto meter = WallSeconds({d.Year, d.Month, d.Day, d.Hours, d.Minutes, d.Seconds});
  const auto computer = WallSeconds(s.computerTime());
  if (!meter || !computer) return std::nullopt;
  return *meter - *computer;
}

std::string Failure(Session& s, SilentWindow& w) {
  switch (s.link.lastTcpFailure) {
    case TcpFailure::NoAnswer: return "no answer within 3 s";
    case TcpFailure::NotConnected: return w.StatusText(0).empty() ? "not connected" : w.StatusText(0);
    case TcpFailure::BadHeader: return w.StatusText(2);
    case TcpFailure::None: break;
  }
  return w.Failure();
}

void StorePoll(Store& store, const PollReport& r, std::optional<long long> meterId, const std::string& started,
               const std::string& ended) {
  PollRow row{meterId, r.name, started, ended, r.outcome, r.message, r.requests, r.failedAttempts, r.clockOffsetS,
              r.stored};
  Transaction transaction(store);
  store.SavePoll(row);
  transaction.Commit();
}

// The meter row and the snapshot of its current data; a fleet line now answered by another
// serial number is a replaced meter, which starts a meter of its own.
long long SaveIdentity(Store& store, const FleetMeter& m, Session& s, PollReport& r, const std::string& now) {
  const std::uint16_t serial = s.CurrentData.SerialNumber;
  r.serialNumber = serial;
  if (const auto before = store.SerialOfName(m.name); before && *before != serial) {
    r.note = "answers with serial number " + std::to_string(serial) + ", not " + std::to_string(*before) +
             " as before: a replaced meter, stored as a new one";
  }
  Transaction transaction(store);
  const long long id = store.SaveMeter(serial, m, s.CurrentData, now);
  store.SaveSnapshot(id, s.CurrentData, now);
  transaction.Commit();
  return id;
}

// Walks each archive; a walk that ends the meter's answers ends the poll.
void WalkArchives(Session& s, Store& store, const FleetMeter& m, long long meterId,
                  const std::array<bool, 3>& archives, const std::function<std::string()>& now, PollReport& r) {
  const RecordUnits units{s.CurrentData.PlusDecimals, s.CurrentData.MinusDecimals};
  for (const ArchiveKind kind : {ArchiveKind::Hourly, ArchiveKind::Daily, ArchiveKind::Monthly}) {
    if (!archives[static_cast<std::size_t>(kind)] || !m.Reads(kind)) continue;
    const WalkResult walk = WalkArchive(s, store, meterId, kind, units, m.depth, now);
    r.requests += walk.requests;
    r.failedAttempts += walk.failedAttempts;
    r.stored += walk.stored;
    r.clockSetBack += walk.clockSetBack;
    if (walk.complete) continue;
    const std::string what = std::string(KindInfo(kind).name) + " archive: ";
    if (walk.end == IndexReadOutcome::Stopped) {
      r.outcome = "stopped";
      r.message = what + "stopped";
      return;
    }
    r.outcome = "partial";
    r.message = what + (walk.end == IndexReadOutcome::Skipped ? "records not answered, read again next time: "
                                                              : "the read ended: ") + walk.message;
    if (walk.end != IndexReadOutcome::Skipped) return;
  }
}

}  // namespace

PollReport PollMeter(Session& s, SilentWindow& w, Store& store, const FleetMeter& m,
                     const std::array<bool, 3>& archives, const std::function<std::string()>& utcNow) {
  PollReport r;
  r.name = m.name;
  const std::string started = utcNow();
  w.ClearFailure();
  r.requests = 1;
  if (!Button1Click(s)) {
    r.failedAttempts = 1;
    r.message = "current data: " + Failure(s, w);
    StorePoll(store, r, std::nullopt, started, utcNow());
    return r;
  }
  r.clockOffsetS = ClockOffset(s);
  const long long meterId = SaveIdentity(store, m, s, r, started);
  r.outcome = "ok";
  WalkArchives(s, store, m, meterId, archives, utcNow, r);
  StorePoll(store, r, meterId, started, utcNow());
  return r;
}

PollReport UnreachedMeter(Store& store, const FleetMeter& m, const std::string& why, const std::string& utcNow) {
  PollReport r;
  r.name = m.name;
  r.message = why;
  StorePoll(store, r, std::nullopt, utcNow, utcNow);
  return r;
}

}  // namespace kamt
