#include "platform/sql_fleet_view.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "platform/sql_schema.h"
#include "platform/sql_store.h"

namespace kamt {
namespace {

std::string Str(const QVariant& v) { return v.toString().toStdString(); }

class Query {
 public:
  Query(SqlStore& store, const char* sql, std::initializer_list<QVariant> values) : query_(store.Database()) {
    if (!query_.prepare(QString::fromUtf8(sql))) throw StoreError(SqlFailure(store.Path(), query_.lastError()));
    int i = 0;
    for (const QVariant& value : values) query_.bindValue(i++, value);
    if (!query_.exec()) throw StoreError(SqlFailure(store.Path(), query_.lastError()));
  }
  QSqlQuery* operator->() { return &query_; }

 private:
  QSqlQuery query_;
};

constexpr const char* kPollColumns =
    "meter_id, name, started_at, ended_at, outcome, message, requests, failed_attempts, clock_offset_s, "
    "records_stored";

PollRow PollOf(QSqlQuery& q) {
  PollRow p;
  if (!q.value(0).isNull()) p.meterId = q.value(0).toLongLong();
  p.name = Str(q.value(1));
  p.startedAt = Str(q.value(2));
  p.endedAt = Str(q.value(3));
  p.outcome = Str(q.value(4));
  p.message = Str(q.value(5));
  p.requests = q.value(6).toInt();
  p.failedAttempts = q.value(7).toInt();
  if (!q.value(8).isNull()) p.clockOffsetS = q.value(8).toLongLong();
  p.recordsStored = q.value(9).toInt();
  return p;
}

}  // namespace

std::vector<MeterOverview> SqlFleetView::Overview() {
  std::vector<MeterOverview> meters;
  {
    Query q(store_,
            "SELECT m.id, m.serial_number, m.name, m.connection, m.site, m.sensor_type, m.last_seen,"
            " (SELECT COUNT(*) FROM archive_records r WHERE r.meter_id = m.id) FROM meters m"
            " ORDER BY m.name, m.serial_number",
            {});
    while (q->next()) {
      MeterOverview o;
      o.meter = {q->value(0).toLongLong(), static_cast<std::uint16_t>(q->value(1).toUInt()), Str(q->value(2)),
                 Str(q->value(3)), Str(q->value(4)), static_cast<std::uint16_t>(q->value(5).toUInt())};
      o.lastSeen = Str(q->value(6));
      o.records = q->value(7).toLongLong();
      meters.push_back(std::move(o));
    }
  }
  for (MeterOverview& o : meters) {
    if (std::vector<PollRow> last = Polls(o, 1); !last.empty()) o.lastPoll = last.front();
    Query q(store_,
            "SELECT status, meter_time FROM snapshots WHERE meter_id = ? ORDER BY taken_at DESC, id DESC LIMIT 1",
            {o.meter.id});
    if (q->next()) {
      o.status = static_cast<std::uint32_t>(q->value(0).toLongLong());
      o.meterTime = Str(q->value(1));
    }
    Query hour(store_,
               "SELECT error_code FROM archive_records WHERE meter_id = ? AND kind = 'hourly'"
               " ORDER BY record_time DESC, copy_number DESC LIMIT 1",
               {o.meter.id});
    if (hour->next()) o.errorCode = hour->value(0).toInt();
  }
  return meters;
}

std::vector<PollRow> SqlFleetView::Polls(const MeterOverview& meter, int limit) {
  // The name's nameless polls count only for the meter that carries the name now.
  Query q(store_,
          (std::string("SELECT ") + kPollColumns +
           " FROM polls p WHERE p.meter_id = ? OR (p.meter_id IS NULL AND p.name = ? AND NOT EXISTS"
           " (SELECT 1 FROM meters o WHERE o.name = p.name AND o.last_seen > ?))"
           " ORDER BY p.started_at DESC, p.id DESC LIMIT ?")
              .c_str(),
          {meter.meter.id, QString::fromStdString(meter.meter.name), QString::fromStdString(meter.lastSeen), limit});
  std::vector<PollRow> polls;
  while (q->next()) polls.push_back(PollOf(*q.operator->()));
  return polls;
}

}  // namespace kamt
