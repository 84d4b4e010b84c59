#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <csignal>
#include <fstream>
#include <map>

#include "e2e_fixture.h"
#include "pg_server.h"
#include "text/text_file.h"

namespace kamt::test {
namespace {

const QStringList kSmallArchives{"--hour-records", "4", "--day-records", "2", "--month-records", "2"};

// kamt collect against simulated meters and a PostgreSQL server of the test's own.
class PgFleet : public E2eTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pg_.Ready()) << pg_.Failure();
    address_ = pg_.CreateDatabase("fleet");
    ASSERT_FALSE(address_.empty());
  }
  void TearDown() override {
    QSqlDatabase::removeDatabase("probe");
    QSqlDatabase::removeDatabase("sqlite");
  }

  void StartFleet(int meters, const QString& start, const QStringList& more) {
    StartSim(QStringList{"--fleet", QString::number(meters), "--tcp", "0", "--no-serial", "--start", start} + more);
    std::ofstream file(dir.path / "fleet.txt");
    for (const auto& m : Sim().Fleet()) file << "m" << m.index << " tcp=127.0.0.1:" << m.tcpPort << "\n";
  }
  QStringList Collect(const QString& round, const QStringList& more = {}) const {
    return QStringList{"collect", "fleet.txt", "--db", QString::fromStdString(address_), "--round", round} + more;
  }

  // The first value `sql` gives on the server, or on the SQLite file fleet.db.
  QString Scalar(const QString& sql, bool sqlite = false) {
    QSqlDatabase db = QSqlDatabase::database(sqlite ? "sqlite" : "probe", false);
    if (!db.isValid() && sqlite) {
      db = QSqlDatabase::addDatabase("QSQLITE", "sqlite");
      db.setDatabaseName(QString::fromStdString((dir.path / "fleet.db").string()));
    } else if (!db.isValid()) {
      db = QSqlDatabase::addDatabase("QPSQL", "probe");
      db.setHostName("127.0.0.1");
      db.setPort(pg_.Port());
      db.setDatabaseName("fleet");
      db.setUserName(PgServer::kUser);
      db.setPassword(PgServer::kPassword);
    }
    // A connection the server's restart has cut is made afresh.
    for (int attempt = 0; attempt < 2; ++attempt) {
      QSqlQuery q(db);
      if ((db.isOpen() || db.open()) && q.exec(sql)) return q.next() ? q.value(0).toString() : QString();
      db.close();
    }
    return {};
  }
  int Records() { return Scalar("SELECT COUNT(*) FROM archive_records").toInt(); }
  // Waits until `sql` gives more than `n`.
  bool MoreThan(const QString& sql, int n) {
    for (int i = 0; i < 600; ++i, QThread::msleep(50)) {
      if (Scalar(sql).toInt() > n) return true;
    }
    return false;
  }
  // Every meter of the fleet polled exactly once in the round, every record stored once.
  void ExpectEachMeterOnce(const QString& round, int meters, int records) {
    EXPECT_EQ(Scalar("SELECT COUNT(*) || ' ' || COUNT(DISTINCT name) FROM polls WHERE round = '" + round + "'"),
              QString("%1 %1").arg(meters));
    EXPECT_EQ(Records(), records);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM archive_records WHERE copy_number > 0"), "0");
  }

  PgServer pg_;
  std::string address_;
};

// Two collectors share a round of 200 meters, then three, one of which is killed in the middle:
// its lines go to the others once its lease has run out. Nothing is polled twice, nothing lost.
TEST_F(PgFleet, CollectorsShareTheFleetAndTakeOverAKilledOnesLines) {
#ifdef KAMT_SANITIZED
  GTEST_SKIP() << "200 meters and three collectors are left to the normal build";
#endif
  StartFleet(200, "2026-06-15 10:30:00", kSmallArchives + QStringList{"--answer-delay", "20"});
  const QStringList options{"--once", "--concurrency", "8", "--lease", "2"};
  {
    KamtRun a(Collect("r1", options), WorkDir()), b(Collect("r1", options), WorkDir());
    const ProgramResult ra = a.Finish(), rb = b.Finish();
    ASSERT_EQ(ra.exitCode, 0) << ra.err;
    ASSERT_EQ(rb.exitCode, 0) << rb.err;
    EXPECT_TRUE(Has(ra.out, "polled by other collectors: ")) << ra.out;
  }
  ExpectEachMeterOnce("r1", 200, 200 * 8);
  EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT collector) FROM polls"), "2");
  ASSERT_TRUE(Sim().Advance(3 * 3600));
  {
    KamtRun killed(Collect("r2", options), WorkDir());
    ASSERT_TRUE(MoreThan("SELECT COUNT(*) FROM polls WHERE round = 'r2'", 8));
  }  // SIGKILL, with up to 8 lines claimed and under way
  KamtRun b(Collect("r2", options), WorkDir()), c(Collect("r2", options), WorkDir());
  const ProgramResult rb = b.Finish(), rc = c.Finish();
  EXPECT_EQ(rb.exitCode, 0) << rb.err;
  EXPECT_EQ(rc.exitCode, 0) << rc.err;
  ExpectEachMeterOnce("r2", 200, 200 * 11);
  EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT collector) FROM polls WHERE round = 'r2'"), "3");
  // A round over again polls nothing: every line is done in it.
  const ProgramResult again = KamtRun(Collect("r2", options), WorkDir()).Finish();
  EXPECT_EQ(again.out, "meters polled: 0, failed: 0, records stored: 0, polled by other collectors: 200\n");
}

// The same collections and exports on SQLite and on the server: new records only, the same
// files and rows out; then a clock set back, kept as flagged copies on both.
TEST_F(PgFleet, SameResultsAsOnSqlite) {
  struct Step {
    int advanceS;
    bool setClockBack;  // m0's clock two hours back first; what it logs then hangs on the moment
    const char* out;
  };
  const Step steps[] = {
      {0, false, "meters polled: 2, failed: 0, records stored: 62\n"},
      {0, false, "meters polled: 2, failed: 0, records stored: 0\n"},
      {3 * 3600, false, "meters polled: 2, failed: 0, records stored: 10\n"},
      {3 * 3600, true, "meters polled: 2, failed: 0, records stored: 8\n"},
  };
  std::map<std::string, std::string> exported;
  for (const std::string backend : {"sqlite", "pg"}) {
    SCOPED_TRACE(backend);
    const QString db = backend == "pg" ? QString::fromStdString(address_) : "fleet.db";
    const auto exportAll = [&](const char* format) {
      std::filesystem::remove_all(dir.path / "exported");
      const ProgramResult r = Kamt({"export", "--db", db, "--format", format, "--output", "exported"});
      EXPECT_EQ(r.exitCode, 0) << r.err;
      std::string all;
      for (const auto& file : std::filesystem::directory_iterator(dir.path / "exported")) {
        all += file.path().filename().string() + *ReadFileBytes(file.path());
      }
      return all;
    };
    StartFleet(2, "2026-12-31 21:30:00", {"--hour-records", "24", "--day-records", "4", "--month-records", "3"});
    int round = 0;
    for (const Step& step : steps) {
      if (step.setClockBack) {
        exported[backend] = exportAll("file") + Kamt({"export", "--db", db, "--format", "csv"}).out +
                            Kamt({"statement", "--db", db, "--meter", "m0", "--month", "2026-12"}).out;
        const auto port = QString::number(Sim().Fleet().at(0).tcpPort);
        ASSERT_EQ(Kamt({"--tcp", "127.0.0.1:" + port, "clock", "write", "31.12.2026 22:30:00"}).exitCode, 0);
      }
      if (step.advanceS > 0) {
        ASSERT_TRUE(Sim().Advance(step.advanceS));
      }
      const ProgramResult r =
          Kamt({"collect", "fleet.txt", "--once", "--db", db, "--round", QString("s%1").arg(++round)});
      EXPECT_EQ(r.out, step.out) << r.err;
    }
    const std::string csv = Kamt({"export", "--db", db, "--format", "csv"}).out;
    const auto lines = Lines(csv);
    EXPECT_EQ(std::ranges::count_if(lines, [](const std::string& l) { return l.ends_with(",1"); }), 5) << csv;
    // A database of version 1 (no claims, polls without round and collector) is refused by the
    // export and upgraded in place by the collector, keeping what it holds.
    const bool sqlite = backend == "sqlite";
    for (const char* sql : {"DROP TABLE claims", "ALTER TABLE polls DROP COLUMN round",
                            "ALTER TABLE polls DROP COLUMN collector", "UPDATE schema_version SET version = 1"}) {
      Scalar(sql, sqlite);
    }
    EXPECT_EQ(Scalar("SELECT version FROM schema_version", sqlite), "1");
    const ProgramResult refused = Kamt({"export", "--db", db});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(Has(refused.err, "is of schema version 1; this kamt reads version 2 (kamt collect upgrades it)"))
        << refused.err;
    const ProgramResult upgraded = Kamt({"collect", "fleet.txt", "--once", "--db", db, "--round", "s9"});
    EXPECT_EQ(upgraded.out, "meters polled: 2, failed: 0, records stored: 0\n") << upgraded.err;
    EXPECT_EQ(Scalar("SELECT version FROM schema_version", sqlite), "2");
    EXPECT_EQ(Scalar("SELECT COUNT(*) || ' ' || COUNT(DISTINCT round) FROM polls", sqlite), "10 2");
    EXPECT_EQ(Kamt({"export", "--db", db, "--format", "csv"}).out, csv);
  }
  EXPECT_EQ(exported["pg"], exported["sqlite"]);
}

// The server goes away under a collector running as a service: it says so, waits, polls again
// what was not stored once the server is back, and loses nothing; SIGTERM leaves no claim held.
// A single round against a server that is down ends with its own status. The password is
// never shown.
TEST_F(PgFleet, ServerRestartedUnderTheService) {
  StartFleet(12, "2026-06-15 10:30:00",
             {"--hour-records", "150", "--day-records", "2", "--month-records", "2", "--answer-delay", "5"});
  QProcess service;
  service.setWorkingDirectory(WorkDir());
  service.start(QStringLiteral(KAMT_BIN), {"collect", "fleet.txt", "--db", QString::fromStdString(address_),
                                          "--concurrency", "3", "--lease", "30"});
  ASSERT_TRUE(MoreThan("SELECT COUNT(*) FROM archive_records", 100));
  pg_.Stop();
  std::string err;
  const auto waitFor = [&](const std::string& text) {
    for (int i = 0; i < 600 && !Has(err, text); ++i) {
      service.waitForReadyRead(100);
      err += service.readAllStandardError().toStdString();
    }
    return Has(err, text);
  };
  ASSERT_TRUE(waitFor("trying again in 3 s")) << err;
  ASSERT_TRUE(pg_.Start());
  ASSERT_TRUE(waitFor("records stored\n")) << err;
  EXPECT_EQ(Records(), 12 * 154);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM polls WHERE outcome = 'ok'"), "12") << err;
  ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
  ASSERT_TRUE(service.waitForFinished(10000));
  EXPECT_EQ(service.exitCode(), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM claims WHERE NOT done AND lease_until > now()"), "0");
  pg_.Stop();
  const ProgramResult once = Kamt(Collect("r2", {"--once"}));
  EXPECT_EQ(once.exitCode, 4);
  EXPECT_TRUE(Has(once.err, "kamt collect: cannot reach the database server host=127.0.0.1 port=")) << once.err;
  err += service.readAllStandardError().toStdString();
  EXPECT_FALSE(Has(err + once.err, PgServer::kPassword));
  EXPECT_TRUE(Has(err, "password=***")) << err;
  EXPECT_TRUE(Has(once.err, "password=***")) << once.err;
}

}  // namespace
}  // namespace kamt::test
