#include "pg_server.h"

#include <QProcess>
#include <QTcpServer>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kamt::test {
namespace {

namespace fs = std::filesystem;

// Debian installs the server's programs under the major version's own directory.
std::string FindServerBin() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    if (fs::exists(entry.path() / "bin" / "initdb")) return (entry.path() / "bin").string();
  }
  return {};
}

int FreeLoopbackPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

}  // namespace

PgServer::PgServer() {
  bin_ = FindServerBin();
  if (bin_.empty()) {
    failure_ = "no PostgreSQL server installed (scripts/deps installs postgresql-15)";
    return;
  }
  char pattern[] = "/tmp/kamt-pg.XXXXXX";
  if (!mkdtemp(pattern)) {
    failure_ = "no temporary directory";
    return;
  }
  dir_ = pattern;
  std::ofstream(dir_ + "/password") << kPassword << '\n';
  // initdb refuses root: the cluster then belongs to nobody. Its files are not synced to disk,
  // as the server runs without fsync: a crash of the machine is not what is tested.
  if (geteuid() == 0) {
    std::error_code ec;
    for (const fs::path& p : {fs::path(dir_), fs::path(dir_) / "password"}) {
      if (chown(p.c_str(), 65534, 65534) != 0) ec = std::make_error_code(std::errc::operation_not_permitted);
    }
    if (ec) {
      failure_ = "cannot give the cluster's directory to nobody";
      return;
    }
  }
  if (Run("initdb", {"-D", dir_ + "/data", "-U", kUser, "--pwfile=" + dir_ + "/password", "-A", "scram-sha-256",
                     "-E", "UTF8", "--no-locale", "--no-sync"},
          dir_ + "/initdb.log") != 0) {
    failure_ = "initdb failed; see " + dir_ + "/initdb.log";
    return;
  }
  port_ = FreeLoopbackPort();
  ready_ = Start();
  if (!ready_) failure_ = "the server did not start; see " + dir_ + "/server.log";
}

PgServer::~PgServer() {
  if (dir_.empty()) return;
  Stop();
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

int PgServer::Run(const std::string& program, const std::vector<std::string>& args, const std::string& log) const {
  QStringList arguments;
  QString executable = QString::fromStdString(bin_ + "/" + program);
  if (geteuid() == 0) {
    arguments << "-u" << "nobody" << "--" << executable;
    executable = QStringLiteral("runuser");
  }
  for (const std::string& a : args) arguments << QString::fromStdString(a);
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("PGPASSWORD", kPassword);
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(QString::fromStdString(dir_));
  if (!log.empty()) process.setStandardOutputFile(QString::fromStdString(log));
  process.setProcessChannelMode(QProcess::MergedChannels);
  if (log.empty()) process.setStandardOutputFile(QProcess::nullDevice());
  process.start(executable, arguments);
  if (!process.waitForFinished(60000)) return -1;
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool PgServer::Start() {
  // Durability costs time and proves nothing here: a crash of the machine is not tested.
  const std::string options = "-c listen_addresses=127.0.0.1 -p " + std::to_string(port_) + " -k " + dir_ +
                              " -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200";
  return Run("pg_ctl", {"-D", dir_ + "/data", "-l", dir_ + "/server.log", "-w", "-t", "30", "-o", options, "start"}) ==
         0;
}

void PgServer::Stop() { Run("pg_ctl", {"-D", dir_ + "/data", "-m", "immediate", "-w", "stop"}); }

std::string PgServer::CreateDatabase(const std::string& name) {
  const int created = Run("createdb", {"-h", "127.0.0.1", "-p", std::to_string(port_), "-U", kUser, name});
  return created == 0 ? Connection(name) : std::string();
}

std::string PgServer::Connection(const std::string& database) const {
  return "host=127.0.0.1 port=" + std::to_string(port_) + " dbname=" + database + " user=" + kUser +
         " password=" + kPassword;
}

}  // namespace kamt::test
