#pragma once

#include <string>
#include <vector>

namespace kamt::test {

// A PostgreSQL server of the test's own: a cluster made with initdb in a temporary directory,
// listening on a free port of 127.0.0.1 only, run as an ordinary user (nobody, when the tests
// run as root, which initdb refuses), with a password for its one role. It is stopped and its
// directory removed when this goes. Needs Debian's postgresql-15 (scripts/deps installs it).
class PgServer {
 public:
  PgServer();
  ~PgServer();
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  bool Ready() const { return ready_; }
  std::string Failure() const { return failure_; }
  int Port() const { return port_; }
  static constexpr const char* kUser = "kamt";
  static constexpr const char* kPassword = "s3cret-Pg-pass";

  // A new empty database on it, and the connection to it in libpq's key=value form.
  std::string CreateDatabase(const std::string& name);
  std::string Connection(const std::string& database) const;

  // Stops it as a crash or a server restart would, and starts it again on the same port.
  void Stop();
  bool Start();

 private:
  // Runs one of the server's programs as the server's user, its password known; its exit code.
  int Run(const std::string& program, const std::vector<std::string>& args, const std::string& log = {}) const;

  std::string dir_;
  std::string bin_;
  int port_ = 0;
  bool ready_ = false;
  std::string failure_;
};

}  // namespace kamt::test
