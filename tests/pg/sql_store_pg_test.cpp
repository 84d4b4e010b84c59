#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "fleet/fleet_file.h"
#include "meter/current_data.h"
#include "pg_server.h"
#include "platform/sql_store.h"

namespace kamt::test {
namespace {

// Two writers store the same record at once (a lease that ran out under a slow poll): the
// second, which looked before the first committed, finds the first's row and stores nothing.
TEST(SqlStoreOnServer, TwoWritersOfOneRecordStoreItOnce) {
  PgServer pg;
  ASSERT_TRUE(pg.Ready()) << pg.Failure();
  const std::string address = pg.CreateDatabase("fleet");
  SqlStore second(address);
  FleetMeter line;
  line.name = "m0";
  second.Begin();
  const long long meter = second.SaveMeter(1234, line, CurrentDataRecord{}, "2026-12-07T08:00:00Z");
  second.Commit();
  ArchiveRecord record;
  record.hour = 10, record.day = 15, record.month = 6, record.year = 26, record.volumePlus = 1234;
  std::promise<void> inserted;
  std::thread first([&] {
    SqlStore store(address, SqlStore::Open::Prepared);
    store.Begin();
    store.PutRecords(meter, ArchiveKind::Hourly, {}, {record}, std::nullopt, std::nullopt, "now");
    inserted.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the second's insert waits on this row
    store.Commit();
  });
  inserted.get_future().wait();
  second.Begin();
  PutResult put;
  EXPECT_NO_THROW(put = second.PutRecords(meter, ArchiveKind::Hourly, {}, {record}, std::nullopt, std::nullopt, "now"));
  first.join();
  second.Commit();
  EXPECT_EQ(put.added, 0);
  EXPECT_EQ(second.Records(meter, ArchiveKind::Hourly, "", "").size(), 1U);
}

}  // namespace
}  // namespace kamt::test
