#pragma once

#include <QProcess>
#include <QStringList>
#include <string>
#include <vector>

namespace kamt::test {

// The simulated meter as a running program: started with the given options, ready when it
// has said so, ended (SIGTERM) when this goes.
class SimMeter {
 public:
  explicit SimMeter(const QStringList& options);
  ~SimMeter();
  SimMeter(const SimMeter&) = delete;
  SimMeter& operator=(const SimMeter&) = delete;

  bool Ready() const { return ready_; }
  std::string Failure() const { return failure_; }
  std::string SerialPath() const { return serialPath_; }  // the pseudo-terminal
  std::string TcpAddress() const;                        // "127.0.0.1:PORT"
  int TcpPort() const { return tcpPort_; }
  std::string RtuTcpAddress() const;                     // "127.0.0.1:PORT" of --rtu-tcp
  void Kill();                                           // as a crash would end it
  std::string Log();                                     // what it printed on stderr
  // Whether the meter has printed `text` on stderr by now (with --verbose it traces what it
  // receives and sends).
  bool Logged(const std::string& text);

  // The meters of a fleet (--fleet) as the simulator announced them.
  struct FleetMember {
    int index = 0;
    int serialNumber = 0;
    int tcpPort = 0;  // 0 when it has none
  };
  const std::vector<FleetMember>& Fleet() const { return fleet_; }
  // Moves every meter's clock on by `seconds` ("advance" on standard input); true once the
  // simulator has said it is done.
  bool Advance(long long seconds);

 private:
  QProcess process_;
  bool ready_ = false;
  std::string failure_;
  std::string serialPath_;
  int tcpPort_ = 0;
  int rtuTcpPort_ = 0;
  std::string log_;  // stderr read so far by Logged
  std::vector<FleetMember> fleet_;
};

}  // namespace kamt::test
