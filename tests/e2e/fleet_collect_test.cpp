#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <csignal>
#include <fstream>
#include <sstream>

#include "e2e_fixture.h"
#include "text/text_file.h"

namespace kamt::test {
namespace {

// kamt collect against a fleet of simulated meters on TCP ports of their own, the database
// looked into with SQL.
class FleetCollect : public E2eTest {
 protected:
  void StartFleet(int meters, const QString& start, const QStringList& more = {}) {
    StartSim(QStringList{"--fleet", QString::number(meters), "--tcp", "0", "--no-serial", "--start", start} + more);
  }
  void WriteFleet(const std::string& extra = "") {
    std::ofstream file(dir.path / "fleet.txt");
    for (const auto& m : Sim().Fleet()) file << "m" << m.index << " tcp=127.0.0.1:" << m.tcpPort << "\n";
    file << extra;
  }
  ProgramResult Collect() { return Kamt({"collect", "fleet.txt", "--once"}); }

  QString Scalar(const QString& sql) {
    QString value;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "probe");
      db.setDatabaseName(QString::fromStdString((dir.path / "fleet.db").string()));
      QSqlQuery q(db);
      if (db.open() && q.exec(sql) && q.next()) value = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("probe");
    return value;
  }
  int Count(const QString& where) { return Scalar("SELECT COUNT(*) FROM archive_records WHERE " + where).toInt(); }
  // Waits until the database holds more than `records` archive records.
  bool StoredMoreThan(int records) {
    for (int i = 0; i < 600; ++i, QThread::msleep(50)) {
      if (Count("1 = 1") > records) return true;
    }
    return false;
  }

  // The file a read of the meter writes, and the one the export writes of the records from `from` on.
  void ExpectExportIsDirectRead(const char* kind, const char* from) {
    const auto port = QString::number(Sim().Fleet().at(0).tcpPort);
    std::filesystem::create_directories(dir.path / "direct");
    const ProgramResult read =
        KamtRun({"--tcp", "127.0.0.1:" + port, "archive", kind}, WorkDir() + "/direct").Finish();
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const ProgramResult exported = Kamt({"export", "fleet.txt", "--format", "file", "--meter", "m0", "--kind", kind,
                                         "--from", from, "--output", "exported"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    for (const auto& file : std::filesystem::directory_iterator(dir.path / "direct")) {
      EXPECT_EQ(ReadFileBytes(file.path()), ReadFileBytes(dir.path / "exported" / file.path().filename())) << kind;
    }
  }
};

// Only what is new is read, across a day, a month and a year end; nothing twice, nothing missed.
TEST_F(FleetCollect, ReadsOnlyWhatIsNewAcrossTheYearEnd) {
  StartFleet(2, "2026-12-31 21:30:00", {"--hour-records", "24", "--day-records", "4", "--month-records", "3"});
  WriteFleet();
  std::filesystem::create_directories(dir.path / "exported");
  ProgramResult r = Collect();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "meters polled: 2, failed: 0, records stored: 62\n");
  r = Collect();
  EXPECT_EQ(r.out, "meters polled: 2, failed: 0, records stored: 0\n");
  // Nothing new: the current data and the newest record of each archive, per meter; the
  // records new since are read down to the newest stored one.
  EXPECT_EQ(Scalar("SELECT SUM(requests) FROM polls WHERE id > 2"), "8");
  ASSERT_TRUE(Sim().Advance(3 * 3600));
  r = Collect();
  EXPECT_EQ(r.out, "meters polled: 2, failed: 0, records stored: 10\n") << r.err;
  EXPECT_TRUE(Has(r.err, "m1 (serial 1235): ok, 5 records stored, 9 requests")) << r.err;
  EXPECT_EQ(Count("copy_number > 0"), 0);
  EXPECT_EQ(Count("meter_id = 1 AND kind = 'hourly'"), 27);
  EXPECT_EQ(Scalar("SELECT MIN(record_time) || ' ' || MAX(record_time) FROM archive_records WHERE kind = 'hourly'"),
            "2026-12-30 22:00:00 2027-01-01 00:00:00");
  EXPECT_EQ(Scalar("SELECT MAX(record_time) FROM archive_records WHERE kind = 'monthly'"), "2027-01-01 00:00:00");
  ExpectExportIsDirectRead("hourly", "2026-12-31 01:00");
  ExpectExportIsDirectRead("daily", "2026-12-29");
  ExpectExportIsDirectRead("monthly", "2026-11-01");
}

// A clock set back logs times again with other counters: kept beside the first, flagged.
TEST_F(FleetCollect, ClockSetBackKeepsBothRecords) {
  StartFleet(1, "2026-06-15 10:30:00", {"--hour-records", "12", "--day-records", "2", "--month-records", "2"});
  WriteFleet("broken tcp=\n");
  std::filesystem::create_directories(dir.path / "exported");
  ProgramResult r = Collect();
  EXPECT_EQ(r.exitCode, 1) << "a fleet line was refused";
  EXPECT_TRUE(Has(r.err, "fleet.txt:2: tcp=: not HOST[:PORT]\n")) << r.err;
  EXPECT_EQ(r.out, "meters polled: 1, failed: 0, records stored: 16\n");
  const auto port = QString::number(Sim().Fleet().at(0).tcpPort);
  ASSERT_EQ(Kamt({"--tcp", "127.0.0.1:" + port, "clock", "write", "15.06.2026 08:30:00"}).exitCode, 0);
  ASSERT_TRUE(Sim().Advance(3 * 3600));
  r = Collect();
  EXPECT_EQ(r.out, "meters polled: 1, failed: 0, records stored: 3\n") << r.err;
  EXPECT_TRUE(Has(r.err, "(2 with a time stored before: clock set back)")) << r.err;
  EXPECT_EQ(Count("record_time = '2026-06-15 10:00:00' AND kind = 'hourly'"), 2);
  EXPECT_EQ(Count("copy_number = 1"), 2);
  ExpectExportIsDirectRead("hourly", "2026-06-15 02:00");
}

// A collector killed mid-read, then a meter that drops mid-read: what was committed stays, and
// a good poll afterwards reads the rest.
TEST_F(FleetCollect, KilledCollectorAndDroppedMeterLoseNothing) {
  const QStringList archives{"--hour-records", "1000", "--day-records", "2", "--month-records", "2"};
  StartFleet(2, "2026-06-15 10:30:00", archives + QStringList{"--answer-delay", "5"});
  WriteFleet();
  std::filesystem::create_directories(dir.path / "exported");
  {
    KamtRun killed({"collect", "fleet.txt", "--once"}, WorkDir());
    ASSERT_TRUE(StoredMoreThan(0));
    QThread::msleep(200);
  }  // SIGKILL
  EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
  const int afterKill = Count("1 = 1");
  KamtRun dropped({"collect", "fleet.txt", "--once"}, WorkDir());
  ASSERT_TRUE(StoredMoreThan(afterKill));
  QThread::msleep(200);
  Sim().Kill();
  const ProgramResult r = dropped.Finish();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.out, "failed: 2")) << r.out << r.err;
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM polls WHERE outcome = 'partial'"), "2") << r.err;
  StartFleet(2, "2026-06-15 10:30:00", archives);
  WriteFleet();
  const int before = Count("1 = 1");
  ASSERT_EQ(Collect().exitCode, 0);
  EXPECT_EQ(Count("1 = 1"), 2 * 1004);
  // What the cut walks stored is not asked for again: per meter the current data, the records
  // not stored, and a few where the good walk meets and checks what the cut ones read.
  EXPECT_LE(Scalar("SELECT SUM(requests) FROM polls WHERE id > (SELECT MAX(id) - 2 FROM polls)").toInt(),
            2 * 1005 - before + 12);
  ExpectExportIsDirectRead("hourly", "2000-01-01");
}

// One collector per database; a database another program holds is a clear failure; SIGTERM
// ends the service cleanly.
TEST_F(FleetCollect, LockedDatabaseAndServiceStop) {
  StartFleet(1, "2026-06-15 10:30:00", {"--hour-records", "4", "--day-records", "2", "--month-records", "2"});
  WriteFleet();
  ASSERT_EQ(Collect().exitCode, 0);
  QProcess service;
  service.setWorkingDirectory(WorkDir());
  service.start(QStringLiteral(KAMT_BIN), {"collect", "fleet.txt"});
  for (int i = 0; i < 100 && !service.readAllStandardError().contains("records stored"); ++i) service.waitForReadyRead(100);
  ProgramResult r = Collect();
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(Has(r.err, "kamt collect: the database fleet.db is in use by another collector (process")) << r.err;
  ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
  ASSERT_TRUE(service.waitForFinished(10000));
  EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(service.exitCode(), 0);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "holder");
    db.setDatabaseName(QString::fromStdString((dir.path / "fleet.db").string()));
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec("BEGIN EXCLUSIVE");
    r = Collect();
    QSqlQuery(db).exec("ROLLBACK");
  }
  QSqlDatabase::removeDatabase("holder");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(Has(r.err, "is locked by another program, still after 5 s: nothing was written")) << r.err;
}

// A bus of meters behind modems on one serial device: one dial, poll and hang-up after another.
TEST_F(FleetCollect, MetersBehindModemsOnOneSerialLine) {
  StartSim({"--fleet", "2", "--modem", "--busy", "555", "--start", "2026-06-15 10:30:00", "--hour-records", "4",
            "--day-records", "2", "--month-records", "2"});
  const std::string line = ";serial=" + Sim().SerialPath() + ";delay=0;";
  std::ofstream(dir.path / "fleet.txt") << "a" << line << "address=1;modem=123\n"
                                        << "b" << line << "address=2;modem=124\n"
                                        << "c" << line << "address=2;modem=555\n";
  const ProgramResult r = Collect();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "meters polled: 3, failed: 1, records stored: 16\n");
  EXPECT_TRUE(Has(r.err, "b (serial 1235): ok, 8 records stored, 9 requests")) << r.err;
  EXPECT_TRUE(Has(r.err, "c: failed, 0 records stored, 0 requests: modem 555: Соединение не установлено (BUSY)"))
      << r.err;
}

// A meter behind a serial-to-Ethernet converter and one behind a gateway that wants its
// address as the unit id, both on the bus of one simulator.
TEST_F(FleetCollect, MetersBehindAConverterAndAGateway) {
  StartSim({"--no-serial", "--rtu-tcp", "0", "--tcp", "0", "--tcp-unit", "address", "--addresses", "1,2",
            "--serial-numbers", "111,222", "--start", "2026-06-15 10:30:00", "--hour-records", "4", "--day-records",
            "2", "--month-records", "2"});
  std::ofstream(dir.path / "fleet.txt") << "a rtu-tcp=" << Sim().RtuTcpAddress() << " address=1 delay=0\n"
                                        << "b tcp=127.0.0.1:" << Sim().TcpPort() << " unit=2\n";
  const ProgramResult r = Collect();
  EXPECT_EQ(r.out, "meters polled: 2, failed: 0, records stored: 16\n") << r.err;
  EXPECT_TRUE(Has(r.err, "a (serial 111): ok, 8 records stored")) << r.err;
  EXPECT_TRUE(Has(r.err, "b (serial 222): ok, 8 records stored")) << r.err;
}

// The meter of a fleet line is replaced: its records start afresh under its own serial number.
TEST_F(FleetCollect, AReplacedMeterStartsANewOne) {
  const QStringList archives{"--hour-records", "4", "--day-records", "2", "--month-records", "2"};
  StartFleet(1, "2026-06-15 10:30:00", archives);
  WriteFleet();
  ASSERT_EQ(Collect().exitCode, 0);
  StartFleet(1, "2026-06-15 10:30:00", archives + QStringList{"--serial-number", "77"});
  WriteFleet();
  const ProgramResult r = Collect();
  EXPECT_EQ(r.out, "meters polled: 1, failed: 0, records stored: 8\n");
  EXPECT_TRUE(Has(r.err, "m0: answers with serial number 77, not 1234 as before: a replaced meter")) << r.err;
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM archive_records a JOIN meters m ON m.id = a.meter_id"
                   " WHERE m.serial_number = 1234"),
            "8");
}

}  // namespace
}  // namespace kamt::test

namespace kamt::test {
namespace {

std::vector<std::string> CsvCells(const std::string& csv, const std::string& dateCell) {
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    if (cells.size() > 3 && cells[2].starts_with(dateCell)) return cells;
  }
  return {};
}

// A whole month collected: the statement's days add up to what the counters moved, with no
// gap; the PDF is written.
TEST_F(FleetCollect, StatementTotalsMatchTheCounters) {
  StartFleet(1, "2027-01-01 00:30:00", {"--hour-records", "800", "--day-records", "40", "--month-records", "3"});
  WriteFleet();
  ASSERT_EQ(Collect().exitCode, 0);
  const ProgramResult csv = Kamt({"statement", "fleet.txt", "--meter", "m0", "--month", "2026-12"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  const auto total = CsvCells(csv.out, "total"), start = CsvCells(csv.out, "start"), end = CsvCells(csv.out, "end");
  ASSERT_FALSE(total.empty() || start.empty() || end.empty()) << csv.out;
  EXPECT_EQ(start[2], "start 2026-12-01T00:00:00");
  EXPECT_EQ(end[2], "end 2027-01-01T00:00:00");
  EXPECT_GT(std::stod(total[3]), 0);
  EXPECT_NEAR(std::stod(total[3]), std::stod(end[3]) - std::stod(start[3]), 0.005) << csv.out;
  EXPECT_NEAR(std::stod(total[4]), std::stod(end[4]) - std::stod(start[4]), 0.005) << csv.out;
  EXPECT_EQ(CsvCells(csv.out, "2026-12-31").at(3).empty(), false) << "no day is a gap";

  const ProgramResult pdf =
      Kamt({"statement", "fleet.txt", "--meter", "m0", "--month", "2026-12", "--format", "pdf", "--output", "s.pdf"});
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  EXPECT_TRUE(ReadFileBytes(dir.path / "s.pdf").value_or("").starts_with("%PDF")) << pdf.err;
  EXPECT_EQ(Kamt({"statement", "fleet.txt", "--meter", "nobody", "--month", "2026-12"}).exitCode, 1);
  EXPECT_EQ(Kamt({"statement", "fleet.txt", "--meter", "m0", "--month", "2026-13"}).exitCode, 2);
}

}  // namespace
}  // namespace kamt::test
